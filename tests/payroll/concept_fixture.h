#pragma once

// Set-up of the concept tests: a user who may change concepts (position 7),
// the IRP brackets 1 to 3 in the company configuration, the BPC basic value,
// a contribution group, a cost centre and an annotation code; and short ways
// to start a new concept and to read a stored field back.

#include "organisation_tables_fixture.h"

#include "payroll/concepts.h"

class ConceptTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        VBGlob::put(QStringLiteral("Permisos"), QStringLiteral("SSSSSSMMS"));
        VBGlob::put(QStringLiteral("VersionCS"), QStringLiteral("N"));
        execute(QStringLiteral("UPDATE CONFIGUR SET CfFranja1 = 7, CfFranja2 = 10, CfFranja3 = 15"));
        addRow(QStringLiteral("BASICOS"), {{QStringLiteral("BasId"), 2},
                                           {QStringLiteral("BasDesc"), QStringLiteral("BPC")}});
        addRow(QStringLiteral("APORTE"), {{QStringLiteral("AporId"), 1},
                                          {QStringLiteral("AporDesc"), QStringLiteral("Aportes comunes")}});
        addRow(QStringLiteral("CENTROCO"), {{QStringLiteral("CCId"), QStringLiteral("ADM")},
                                            {QStringLiteral("CCDesc"), QStringLiteral("Administración")}});
        addRow(QStringLiteral("FICCOD"), {{QStringLiteral("FicCod"), QStringLiteral("AMON")},
                                          {QStringLiteral("FicDesc"), QStringLiteral("Amonestación")}});
    }

    /// A concept row as another program would have written it.
    void addConcept(int code, const QString& description, int type, RowValues more = {})
    {
        RowValues values = {{QStringLiteral("ConId"), code},
                            {QStringLiteral("ConDesc"), description},
                            {QStringLiteral("ConTipo"), type},
                            {QStringLiteral("ConActivo"), 1}};
        addRow(QStringLiteral("CONCEPT"), values + more);
    }

    /// A new concept `code` with its description and type typed in.
    std::unique_ptr<Transaction> newConcept(int code, const QString& description, const QString& type)
    {
        auto form = open(TCONCEP(), QStringLiteral("0"), QStringLiteral("INS"));
        EXPECT_TRUE(form->setText(QStringLiteral("ConId"), QString::number(code)));
        EXPECT_TRUE(form->focusEntered(2));
        EXPECT_TRUE(form->setText(QStringLiteral("ConDesc"), description));
        EXPECT_TRUE(form->setText(QStringLiteral("ConTipo"), type));
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
        return fieldOf(QStringLiteral("CONCEPT"), field, QStringLiteral("ConId = %1").arg(code));
    }

    /// The name of the field the form asks to focus.
    static QString focusedField(Transaction& form)
    {
        const int position = form.focusRequest();
        return position > 0 ? form.field(position).name : QString();
    }

    QString shownTexts() const { return ui.texts().join(u'|'); }
};
