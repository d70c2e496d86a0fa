#include "startup/call_parameters.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

TEST(CommandLineTokenizer, BareWordsQuotedTextDoubledEmptyAndUnclosedQuotes)
{
    const QStringList tokens =
        tokenizeCommandLine(R"(  JPEREZ "clave con espacios"   "dice ""hola"" y sigue" )");
    ASSERT_EQ(tokens.size(), 10);
    EXPECT_EQ(tokens[0], "JPEREZ");
    EXPECT_EQ(tokens[1], "clave con espacios");
    EXPECT_EQ(tokens[2], "dice \"hola\" y sigue");
    for (int index = 3; index < 10; ++index)
        EXPECT_TRUE(tokens[index].isEmpty()) << index;

    EXPECT_EQ(tokenizeCommandLine(R"(A "" C)", 3), (QStringList{"A", "", "C"}));
    EXPECT_EQ(tokenizeCommandLine(R"(A "sin cierre B)", 3), (QStringList{"A", "", ""}));
    EXPECT_EQ(tokenizeCommandLine("", 2), (QStringList{"", ""}));
    // A quoted token followed at once by a word: the word is the next token.
    EXPECT_EQ(tokenizeCommandLine(R"("a b"c d)", 3), (QStringList{"a b", "c", "d"}));
}

TEST(QuotedFields, CommasLineEndsAndDoubledQuotes)
{
    const QStringList fields = readQuotedFields("\"ANA\",\"x,y\"\r\n  libre  ,\"di \"\"no\"\"\"\n\n\"S\"", 6);
    EXPECT_EQ(fields, (QStringList{"ANA", "x,y", "libre", "di \"no\"", "", "S"}));
    EXPECT_EQ(readQuotedFields("", 3), (QStringList{"", "", ""}));
}

TEST(CallParameters, SeveralArgumentsOrOneThatIsNoFileAreTheParametersInOrder)
{
    const ParameterSource several = readCallParameters({"ANA", "secreta", "MMMMMMMMS"});
    EXPECT_FALSE(several.fromFile());
    EXPECT_EQ(several.parameters.user(), "ANA");
    EXPECT_EQ(several.parameters.permissions(), "MMMMMMMMS");
    EXPECT_TRUE(several.parameters[9].isEmpty());

    // One argument that names no file is a whole command line.
    const ParameterSource one = readCallParameters({R"(ANA "mi clave" SSS)"});
    EXPECT_FALSE(one.fromFile());
    EXPECT_EQ(one.parameters[1], "mi clave");
    EXPECT_EQ(one.parameters[2], "SSS");
    // Writing back does nothing when there was no file.
    EXPECT_TRUE(writeCallParameters(one, one.parameters));
}

TEST(CallParameters, ParameterFileIsReadAndRewrittenWithFinalValues)
{
    TempFolder folder;
    const QString file = folder.write("param.txt",
        "\"ANA\",\"vieja\",\"MMMMMMMMS\",\"\",\"\",\"\",\"\",\"N\",\"EMP1\",\"corrida 7\"\r\n");
    ParameterSource source = readCallParameters({file});
    ASSERT_TRUE(source.fromFile());
    EXPECT_EQ(source.parameters[8], "EMP1");
    EXPECT_EQ(source.parameters[9], "corrida 7");

    CallParameters final = source.parameters;
    final[1] = "nueva \"con comillas\", y coma";
    ASSERT_TRUE(writeCallParameters(source, final));
    const QByteArray written = folder.read("param.txt");
    EXPECT_TRUE(written.startsWith("\"ANA\"\r\n\"nueva \"\"con comillas\"\", y coma\"\r\n"));
    EXPECT_EQ(written.count("\r\n"), 10);
    // What was written reads back as the very same values.
    EXPECT_EQ(readCallParameters({file}).parameters.values, final.values);
}

TEST(CallParameters, Latin1FileKeepsItsEncoding)
{
    TempFolder folder;
    const QString file = folder.write("p.txt", QString("\"ÑANDÚ\",\"contraseña\"").toLatin1());
    const ParameterSource source = readCallParameters({file});
    EXPECT_EQ(source.parameters[0], "ÑANDÚ");
    ASSERT_TRUE(writeCallParameters(source, source.parameters));
    EXPECT_TRUE(folder.read("p.txt").startsWith(QString("\"ÑANDÚ\"\r\n\"contraseña\"").toLatin1()));
}

TEST(CallParameters, UnreadableFileLeavesParametersEmptyAndUnwritableIsReported)
{
    TempFolder folder;
    const QString file = folder.write("p.txt", "\"ANA\"");
    QFile::setPermissions(file, QFileDevice::Permissions());
    const bool root = QFile(file).open(QIODevice::ReadOnly);  // root reads anything
    const ParameterSource source = readCallParameters({file});
    if (!root) {
        EXPECT_TRUE(source.fromFile());
        EXPECT_TRUE(source.parameters.user().isEmpty());
    }
    ParameterSource gone;
    gone.file = folder.file("no/existe/p.txt");
    EXPECT_FALSE(writeCallParameters(gone, CallParameters::fromList({"X"})));
}
