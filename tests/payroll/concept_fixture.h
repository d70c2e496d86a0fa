#pragma once

// Set-up of the concept tests: a user who may change concepts (position 7),
// the IRP brackets 1 to 3 in the company configuration, the BPC basic value,
// a contribution group, a cost centre and an annotation code; and short ways
// to start a new concept and to read a stored field back.

#include "organisation_tables_fixture.h"

#include "payroll/concepts.h"

using namespace Qt::StringLiterals;

class ConceptTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        VBGlob::put(u"Permisos"_s, u"SSSSSSMMS"_s);
        VBGlob::put(u"VersionCS"_s, u"N"_s);
        execute(u"UPDATE CONFIGUR SET CfFranja1 = 7, CfFranja2 = 10, CfFranja3 = 15"_s);
        addRow(u"BASICOS"_s, {{u"BasId"_s, 2}, {u"BasDesc"_s, u"BPC"_s}});
        addRow(u"APORTE"_s, {{u"AporId"_s, 1}, {u"AporDesc"_s, u"Aportes comunes"_s}});
        addRow(u"CENTROCO"_s, {{u"CCId"_s, u"ADM"_s}, {u"CCDesc"_s, u"Administración"_s}});
        addRow(u"FICCOD"_s, {{u"FicCod"_s, u"AMON"_s}, {u"FicDesc"_s, u"Amonestación"_s}});
    }

    /// A concept row as another program would have written it.
    void addConcept(int code, const QString& description, int type, RowValues more = {})
    {
        RowValues values = {{u"ConId"_s, code}, {u"ConDesc"_s, description}, {u"ConTipo"_s, type}, {u"ConActivo"_s, 1}};
        addRow(u"CONCEPT"_s, values + more);
    }

    /// A new concept `code` with its description and type typed in.
    std::unique_ptr<Transaction> newConcept(int code, const QString& description, const QString& type)
    {
        auto form = open(TCONCEP(), u"0"_s, u"INS"_s);
        EXPECT_TRUE(form->setText(u"ConId"_s, QString::number(code)));
        EXPECT_TRUE(form->focusEntered(2));
        EXPECT_TRUE(form->setText(u"ConDesc"_s, description));
        EXPECT_TRUE(form->setText(u"ConTipo"_s, type));
        return form;
    }

    /// Types `text` into `field`, failing the test when the input refuses it.
    static void type(Transaction& form, const QString& field, const QString& text)
    {
        QString error;
        EXPECT_TRUE(form.setText(field, text, &error)) << field.toStdString() << ": " << error.toStdString();
    }

    QVariant conceptField(int code, const QString& field)
    {
        return fieldOf(u"CONCEPT"_s, field, u"ConId = %1"_s.arg(code));
    }

    /// The name of the field the form asks to focus.
    static QString focusedField(Transaction& form)
    {
        const int position = form.focusRequest();
        return position > 0 ? form.field(position).name : QString();
    }

    QString shownTexts() const { return ui.texts().join(u'|'); }
};
