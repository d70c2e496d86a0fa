// The concepts' consistency control (PCTRCON2): the warnings file compared
// whole on a small set of concepts, its order, and a file it cannot write.
#include "concept_fixture.h"

#include "payroll/concept_consistency.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace {

class ConceptConsistencyTest : public ConceptTest {
protected:
    void concept_(int code, const QString& description, int priority)
    {
        addConcept(code, description, 1, {{u"ConPriorid"_s, priority}});
    }

    void accumulates(int code, const QString& type, int accumulator)
    {
        addRow(u"CONCEPT3"_s, {{u"ConId"_s, code}, {u"AcuTipo"_s, type}, {u"AcuId"_s, accumulator}});
    }

    void amountLine(int code, int line, const QString& operand, int number)
    {
        addRow(u"CONCEPT1"_s, {{u"ConId"_s, code}, {u"OpeLin"_s, line}, {u"OpeOpe"_s, u"+"_s},
                               {u"OpeUsar"_s, operand}, {u"OpeNro"_s, number}});
    }

    void quantityLine(int code, int line, const QString& operand, int number)
    {
        addRow(u"CONCEPT4"_s, {{u"ConId"_s, code}, {u"CanLin"_s, line}, {u"CanOpe"_s, u"+"_s},
                               {u"CanUsar"_s, operand}, {u"CanNro"_s, number}});
    }

    QStringList fileLines(const QString& file)
    {
        QFile input(file);
        EXPECT_TRUE(input.open(QIODevice::ReadOnly | QIODevice::Text)) << file.toStdString();
        return QString::fromUtf8(input.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    static QString warning(const QString& accumulating, int accumulator, const QString& reader, const QString& kind)
    {
        return u"AVISO: El concepto '"_s + accumulating + u"' que se acumula en el acumulador de liquidación "_s
            + QString::number(accumulator) + u" se liquida después que el concepto '"_s + reader
            + u"' que utiliza dicho acumulador en el cálculo de "_s + kind + u"."_s;
    }
};

TEST_F(ConceptConsistencyTest, WarnsOfEveryReaderLiquidatedBeforeTheConceptThatFillsItsAccumulator)
{
    concept_(1, u"Sueldo"_s, 5);
    accumulates(1, u"L"_s, 4);
    accumulates(1, u"L"_s, 3);
    concept_(2, u"Horas extra"_s, 1);
    amountLine(2, 5, u"ACL"_s, 3);
    amountLine(2, 10, u"ACL"_s, 3);  // one warning for the concept, not one per line
    quantityLine(2, 5, u"ACL"_s, 3);
    concept_(3, u"Prima"_s, 9);  // liquidated after both: reads a full accumulator
    amountLine(3, 5, u"ACL"_s, 3);
    concept_(4, u"Aguinaldo"_s, 2);
    amountLine(4, 5, u"ACL"_s, 4);
    amountLine(4, 10, u"ACH"_s, 3);  // a historic accumulator is no concern
    concept_(5, u"Presentismo"_s, 5);  // the same priority is no warning
    amountLine(5, 5, u"ACL"_s, 4);
    concept_(6, u"Ficto"_s, 9);
    accumulates(6, u"H"_s, 3);
    concept_(7, u"Comisiones"_s, 8);
    accumulates(7, u"L"_s, 3);

    const QString file = folder.file("avisos.txt");
    QStringList warnings;
    const ProcedureResult result = PCTRCON2(*database, ui, file, &warnings);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    const QStringList expected = {
        warning(u"1-Sueldo"_s, 3, u"2-Horas extra"_s, u"importe"_s),
        warning(u"1-Sueldo"_s, 3, u"2-Horas extra"_s, u"cantidad"_s),
        warning(u"1-Sueldo"_s, 4, u"4-Aguinaldo"_s, u"importe"_s),
        warning(u"7-Comisiones"_s, 3, u"2-Horas extra"_s, u"importe"_s),
        warning(u"7-Comisiones"_s, 3, u"2-Horas extra"_s, u"cantidad"_s),
    };
    EXPECT_EQ(fileLines(file), expected);
    EXPECT_EQ(warnings, expected);
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{});
}

TEST_F(ConceptConsistencyTest, ConsistentConceptsLeaveAnEmptyFileAndAnUnwritableOneIsSaid)
{
    concept_(1, u"Sueldo"_s, 1);
    accumulates(1, u"L"_s, 3);
    concept_(2, u"Prima"_s, 5);
    amountLine(2, 5, u"ACL"_s, 3);

    const QString file = folder.file("avisos.txt");
    // A file of an earlier run is replaced.
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("AVISO: anterior\n");
    old.close();
    EXPECT_TRUE(PCTRCON2(*database, ui, file).ok());
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(QFile(file).size(), 0);

    const ProcedureResult failed = PCTRCON2(*database, ui, folder.file("no-existe/avisos.txt"));
    EXPECT_FALSE(failed.ok());
    EXPECT_TRUE(failed.message.startsWith(u"No se pudo escribir "_s)) << failed.message.toStdString();
}

}  // namespace
