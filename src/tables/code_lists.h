#pragma once

#include <QList>
#include <QString>

// The code lists of the locale form: departments, localities, wage-council
// groups and subgroups, read from the text files of the installation folder
// ("deptos.txt", "locali.txt", "grupo.txt", "subgru.txt"). Each file is UTF-8
// text with one entry a line and its parts separated by ";":
//
//   deptos.txt   code;department            10;Montevideo
//   locali.txt   department;locality        Canelones;Pando
//   grupo.txt    code;group                 09;Industria de la construcción ...
//   subgru.txt   group;code;subgroup        09;01;Industria de la construcción
//
// Blank lines and lines that begin with "#" are skipped. The locale stores
// the department and locality by name and the group and subgroup by code.

/// One entry of a code list.
struct CodeListEntry {
    QString parent;  ///< the department of a locality, the group of a subgroup
    QString code;    ///< the department's number, the group's or subgroup's code
    QString name;
};

/// A code list as read, or why it could not be read.
struct CodeList {
    QList<CodeListEntry> entries;
    QString error;  ///< empty when the file was read

    bool ok() const { return error.isEmpty(); }
};

namespace CodeLists {

/// Where the files are looked for first (the program sets it at start; the
/// tests point it at their own folder). Empty: the program's folder, then a
/// "data" folder beside it or above it.
void setFolder(const QString& folder);
/// The folder the files are read from.
QString folder();

/// Reads `fileName` of the folder, expecting `parts` parts a line.
CodeList read(const QString& fileName, int parts);

/// Whether `name` is in `list` (ignoring letter case and outer blanks),
/// within `parent` when one is given.
bool containsName(const CodeList& list, const QString& name, const QString& parent = {});
/// The name of code `code` (within `parent` when given); empty when unknown.
QString nameOf(const CodeList& list, const QString& code, const QString& parent = {});

}  // namespace CodeLists

/// The departments of "deptos.txt".
CodeList PLEEDEPT();
/// The localities of "locali.txt", each with its department.
CodeList PLEELOCA();
/// The wage-council groups of "grupo.txt".
CodeList PLEEGRUP();
/// The subgroups of "subgru.txt", each with its group.
CodeList PLEESUBG();
