// The console UI port: the output contract every uordane-admin command keeps.
#include "console/console_ui_port.h"

#include <QTextStream>
#include <gtest/gtest.h>

namespace {

TEST(ConsoleUiPort, EachBoxIsOneLineWithItsIconWordAndQuestionsTakeTheAnswersThenNo)
{
    QString output;
    QString errors;
    QTextStream out(&output);
    QTextStream err(&errors);
    ConsoleUiPort console(out, err);
    console.answer(true);
    console.answer(false);

    console.message("Falta descripción", MessageIcon::Exclamation);
    console.message("Aviso: primera línea\nsegunda\r\ntercera", MessageIcon::Information);
    EXPECT_TRUE(console.question("¿Realmente desea eliminar estos datos? ", DefaultButton::No));
    EXPECT_FALSE(console.question("¿Otra?", DefaultButton::Yes));
    // The answers have run out: No, whatever the default button.
    EXPECT_FALSE(console.question("¿Y otra más?", DefaultButton::Yes));

    EXPECT_EQ(output.split(u'\n', Qt::SkipEmptyParts),
              (QStringList{"Exclamación: Falta descripción",
                           "Información: Aviso: primera línea / segunda / tercera",
                           "Pregunta: ¿Realmente desea eliminar estos datos?  => si",
                           "Pregunta: ¿Otra? => no",
                           "Pregunta: ¿Y otra más? => no"}));
    EXPECT_EQ(console.refusals(), 1);
    EXPECT_TRUE(errors.isEmpty());
}

TEST(ConsoleUiPort, StatusTextsGoToStandardErrorOnceEachChange)
{
    QString output;
    QString errors;
    QTextStream out(&output);
    QTextStream err(&errors);
    ConsoleUiPort console(out, err);

    console.statusText(1, "Inserta");
    console.statusText(1, "Inserta");
    console.statusText(2, "Procesando 100 de 250");
    console.statusText(2, QString());
    console.statusText(2, "Procesando 200 de 250");

    EXPECT_EQ(errors.split(u'\n', Qt::SkipEmptyParts),
              (QStringList{"Inserta", "Procesando 100 de 250",
                           "Procesando 200 de 250"}));
    EXPECT_TRUE(output.isEmpty());
}

TEST(ConsoleUiPort, AFileDialogIsCancelledAndSaysSo)
{
    QString output;
    QString errors;
    QTextStream out(&output);
    QTextStream err(&errors);
    ConsoleUiPort console(out, err);

    EXPECT_TRUE(console.pickFile({"Importar básicos", {}, {}, false}).isEmpty());
    EXPECT_EQ(output, "Archivo: Importar básicos => (ninguno)\n");
}

}  // namespace
