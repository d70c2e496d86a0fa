#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>

/// The ten call parameters with which the payroll program launches this one,
/// in their fixed order.
struct CallParameters {
    static constexpr int count = 10;
    /// The context key each parameter is stored under, by position.
    static const std::array<QString, count> contextKeys;

    std::array<QString, count> values;

    QString& operator[](int index) { return values[static_cast<size_t>(index)]; }
    const QString& operator[](int index) const { return values[static_cast<size_t>(index)]; }
    QString user() const { return values[0]; }
    QString permissions() const { return values[2]; }
    QString serverLogin() const { return values[3]; }
    QString serverPassword() const { return values[4]; }
    QString databaseName() const { return values[5]; }
    QString server() const { return values[6]; }
    QString installationKind() const { return values[7]; }
    /// "VersionCS" is "S": the data is on a database server.
    bool isClientServer() const { return installationKind().trimmed() == "S"; }

    /// Parameters from a list, missing trailing ones empty, extra ones dropped.
    static CallParameters fromList(const QStringList& list);
};

/// Where the parameters came from, and what to write back on exit.
struct ParameterSource {
    /// The parameter file named on the command line, or empty when the
    /// parameters came on the command line itself.
    QString file;
    /// True when the file's text was not UTF-8 and is kept in Latin-1.
    bool latin1 = false;
    CallParameters parameters;

    bool fromFile() const { return !file.isEmpty(); }
};

/// Splits a Windows-style command line into up to `count` tokens: a token is
/// a word up to the next blank, or a text in double quotes in which a doubled
/// quote stands for one. Missing tokens are empty.
QStringList tokenizeCommandLine(const QString& commandLine, int count = CallParameters::count);

/// Reads up to `count` fields in the quoted text-file field syntax: fields
/// separated by commas or line ends; a field in double quotes may hold
/// commas, line ends and doubled quotes; an unquoted field is trimmed.
QStringList readQuotedFields(const QString& text, int count = CallParameters::count);

/// Turns the program's arguments (without the program name) into the call
/// parameters. One argument naming an existing file: the parameter file.
/// One argument otherwise: a whole command line, tokenized. Several
/// arguments: the parameters in order, as the shell split them. A parameter
/// file that cannot be read leaves every parameter empty.
ParameterSource readCallParameters(const QStringList& arguments);

/// Rewrites the parameter file with one quoted line per parameter. Does
/// nothing when the parameters did not come from a file. Returns false when
/// the file could not be written (the caller carries on regardless).
bool writeCallParameters(const ParameterSource& source, const CallParameters& parameters);
