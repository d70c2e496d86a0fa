#include "scripted_ui.h"

#include <gtest/gtest.h>

TEST(ScriptedUi, AnswersFromQueueThenWithDefault)
{
    ScriptedUi ui;
    ui.answer(false);
    EXPECT_FALSE(ui.question("¿Seguro?", DefaultButton::Yes));
    EXPECT_TRUE(ui.question("¿Otra?", DefaultButton::Yes));
    EXPECT_EQ(ui.unansweredQuestions(), 1);
    ui.message("Falta descripción", MessageIcon::Exclamation);
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{"Falta descripción"});
    EXPECT_EQ(ui.texts().size(), 3);
}
