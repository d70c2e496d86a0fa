// Pictures, number texts and line splitting never crash on any typed text,
// and what they accept they show back consistently:
// - a number a picture in use accepts is shown within the picture's width,
//   without overflow stars, and reads back as the same shown text;
// - a text a text picture accepts is no longer than the picture;
// - split lines are never wider than asked and never hold a line break.
//
// Input: the first byte picks a picture of the table in use (or, past the
// table, takes the picture from the input up to the first newline); the
// second byte is a line width; the rest is the typed text.
#include "support/line_split.h"
#include "support/number_text.h"
#include "support/picture.h"

#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

const std::array<const char*, 30> picturesInUse = {
    "9", "Z9", "ZZ9", "ZZZ9", "ZZZZ9", "ZZZZZ9", "ZZZZZZZZ9", "ZZZZZZZZZ9", "ZZZZZZZZZZZ9",
    "ZZZZZZZZZZZZZ9", "ZZZZZZZZZZZZZZ9", "ZZ9.999", "ZZ9.9999", "ZZ9.999999", "ZZZZZ9.9999",
    "ZZZZ9.9999999", "ZZZ,ZZ9.99", "ZZZ,ZZZ,ZZ9.99999", "ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ", "!", "!!!",
    "!!!!!!", "!!!!!!!!!!!!", "!!!!!!!!!!!!!!!", "!!!!!!!!!!!!!!!!!!!!", "99/99", "dd/mm/yy",
    "dd/mm/yyyy", "hh:mm:ss", "hh:nn"};

void check(bool condition)
{
    if (!condition)
        std::abort();
}

/// `inUse`: the picture is one of the table, with thousands every three digits.
void checkNumber(const Picture& picture, const PictureValue& value, bool inUse)
{
    const QString shown = picture.format(value.number);
    check(shown.size() <= picture.width() + 1);
    // Up to fifteen digits a double holds every decimal exactly; beyond, a
    // typed 999999999999.99999 is the double 1e12 and no longer fits.
    if (inUse && picture.integerDigits() + picture.decimals() <= 15) {
        check(!shown.contains(u'*'));
        const PictureValue back = picture.parse(shown);
        check(back.valid);
        check(picture.format(back.number) == shown);
    }
    const QString text = numberToText(value.number, 10, 2);
    check(text.size() >= 10);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    QString typed = QString::fromUtf8(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2));
    QString pictureText;
    if (data[0] < picturesInUse.size()) {
        pictureText = QString::fromLatin1(picturesInUse[data[0]]);
    } else {
        const qsizetype newline = typed.indexOf(u'\n');
        pictureText = newline < 0 ? typed : typed.left(newline);
        typed = newline < 0 ? QString() : typed.mid(newline + 1);
    }

    const Picture picture(pictureText);
    const PictureValue value = picture.parse(typed, QDate(2026, 12, 6));
    check(value.valid || !value.error.isEmpty());
    if (value.valid && !value.empty) {
        switch (picture.kind()) {
        case Picture::Kind::Number:
            checkNumber(picture, value, data[0] < picturesInUse.size());
            break;
        case Picture::Kind::Text:
            check(value.text.size() <= pictureText.size());
            break;
        case Picture::Kind::Date:
            check(value.date.isValid());
            break;
        case Picture::Kind::Time:
            check(value.time.isValid());
            break;
        }
    }
    (void)picture.format(typed);

    const int width = 1 + data[1] % 250;
    for (const QString& line : splitLines(typed, width)) {
        check(line.size() <= width);
        check(!line.contains(u'\r') && !line.contains(u'\n'));
    }
    return 0;
}
