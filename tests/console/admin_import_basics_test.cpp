// uordane-admin import-basics run as a script runs it: the dry run writes
// nothing and says what each line would do; the import writes the file and
// a file with faults leaves "errImpBas.txt" beside it.
#include "console_fixture.h"

#include "data/parameters.h"

#include <QDir>
#include <QFile>

namespace {

class AdminImportBasicsTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(folder.file("tmp")));
        ASSERT_TRUE(QDir().mkpath(folder.file("entrada")));
        QString error;
        ASSERT_TRUE(insertRow(*database, QStringLiteral("CARGOS"),
                              {{QStringLiteral("CarId"), 4}, {QStringLiteral("CarDesc1"), QStringLiteral("Oficial")}},
                              &error));
    }

    AdminCommandRun importBasics(const QStringList& arguments) { return runAdmin({"import-basics"}, arguments); }

    QString input(const QString& name, const QByteArray& content)
    {
        const QString path = folder.file("entrada/" + name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
};

const QByteArray titles = "COD BASICO;DESC BASICO;CARGO;CCOSTOS;REF;CLASIF;VALOR;VALOR ANT;VIGENCIA\n";

TEST_F(AdminImportBasicsTest, ADryRunSaysWhatEachLineWouldDoAndTheImportDoesIt)
{
    const QString file = input("basicos.txt", titles + "1;BPC;;;;;6864;6576;01/01/26\n3;Laudo;4;;;Jornal;471,35;0;01/05/26\n");
    AdminCommandRun run = importBasics({file, "--dry-run"});
    EXPECT_EQ(run.status, 1) << "without preferences nothing is read";
    EXPECT_TRUE(run.err.contains(QStringLiteral("Falta cargar las preferencias"))) << run.err.toStdString();

    ASSERT_FALSE(PPARGC(*database, console, QStringLiteral("Importa"), QStringLiteral("SepCampo"), 0, QStringLiteral(";")));
    ASSERT_FALSE(PPARGC(*database, console, QStringLiteral("Importa"), QStringLiteral("SepDeci"), 0, QStringLiteral(",")));
    run = importBasics({file, "--dry-run"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, (QStringList{QStringLiteral("Linea 2: agrega un valor al básico 1 (básico nuevo)"),
                                    QStringLiteral("Linea 3: agrega un valor al básico 3 (básico nuevo)"),
                                    QStringLiteral("Se agregarían 2, se modificarían 0 y quedarían sin cambios 0 "
                                                   "valores; básicos nuevos: 2")}));
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 0);

    run = importBasics({file});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Controlando archivo..."))) << "progress on standard error";
    EXPECT_TRUE(run.err.contains(QStringLiteral("La importación se realizó correctamente")));
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 2);

    run = importBasics({file, "--dry-run"});
    EXPECT_EQ(run.out.value(0), QStringLiteral("Linea 2: sin cambios en el básico 1"));
}

TEST_F(AdminImportBasicsTest, AFileWithFaultsLeavesItsErrorFileBesideItAndChangesNothing)
{
    const QString file = input("malo.csv", titles + "2;Laudo;9;;;;1;0;01/01/26\n");
    const AdminCommandRun run = importBasics({file, "--field-separator", ";", "--decimal-separator", ","});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Linea 2: El cargo 9 no existe"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Debido a los errores la importación no se realizará")));
    QFile errors(folder.file("entrada/errImpBas.txt"));
    ASSERT_TRUE(errors.open(QIODevice::ReadOnly));
    EXPECT_EQ(errors.readAll(), QByteArray("Linea 2: El cargo 9 no existe\r\n"));
    EXPECT_EQ(countRows(QStringLiteral("BASICOS")), 0);

    EXPECT_EQ(importBasics({}).status, 2);
}

}  // namespace
