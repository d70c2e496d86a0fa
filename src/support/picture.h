#pragma once

#include <QChar>
#include <QDate>
#include <QString>
#include <QTime>

/// The characters that separate decimals and thousands in a shown number.
struct Separators {
    QChar decimal = u'.';
    QChar thousands = u',';

    /// The separators of the workstation: those of the system locale (a
    /// Uruguayan workstation writes 1.234,56), read once per process.
    static Separators workstation();
};

/// Whether a number that is not negative gets a blank in front, so that it
/// lines up with negative numbers, which always carry a "-".
enum class SignRoom { Omit, Blank };

/// What a text typed into a picture said.
struct PictureValue {
    bool valid = false;  ///< false: the text does not fit the picture; see `error`
    bool empty = true;   ///< nothing was typed (a blank text, the empty date)
    double number = 0;   ///< numbers
    QString text;        ///< texts and masks, as they are to be stored
    QDate date;          ///< dates: the empty date unless one was read
    QTime time;          ///< times, or a time written after a date
    QString error;       ///< Spanish reason when not valid
};

/// A display mask, read once and applied to many values.
///
/// Number pictures are made of "9" (a digit always shown), "Z" (a digit
/// whose leading zeros show as blanks), "," (thousands, shown only between
/// shown digits) and "." (the decimal point): "ZZ9", "ZZZ,ZZ9.99". A "Z"
/// after the decimal point shows a trailing zero as a blank, so
/// "ZZ9.99ZZZ" shows two to five decimals. A picture of "9"s only keeps
/// leading zeros. The shown text is as wide as the picture; a negative
/// number has a "-" just before its first digit and is one wider, as is a
/// number shown with SignRoom::Blank. A number too large for the picture
/// shows as "*"s, never with digits left out.
///
/// Text pictures have one position per character: "!" upper-cases, "X"
/// takes any character, "9" a digit; anything else is a literal that is
/// shown and stored as it stands ("99/99").
///
/// Date and time pictures ("dd/mm/yy", "hh:nn") are those of dates.h.
class Picture {
public:
    enum class Kind { Number, Text, Date, Time };

    /// Numbers are shown with `separators`: the workstation's unless said.
    explicit Picture(const QString& picture, Separators separators = Separators::workstation());

    Kind kind() const { return kind_; }
    const QString& picture() const { return picture_; }
    /// Characters of a shown value (without the sign position).
    int width() const;
    /// Digit positions before the decimal point of a number picture.
    int integerDigits() const { return integerDigits_; }
    /// Decimal positions of a number picture.
    int decimals() const { return int(fractionMask_.size()); }

    /// A number through the picture.
    QString format(double value, SignRoom sign = SignRoom::Omit) const;
    /// A text through the picture; number and date texts are read first and
    /// shown through the picture when they can be read, kept otherwise.
    QString format(const QString& text) const;
    QString format(const QDate& date) const;
    QString format(const QTime& time) const;

    /// Reads what a person typed. Numbers take an optional sign, thousands
    /// separators or none, and "." or "," as the decimal point (a lone
    /// workstation thousands separator before three digits groups); too many
    /// digits, too many decimals and anything but digits are refused.
    /// Texts longer than the picture are refused. `today` places two-digit years.
    PictureValue parse(const QString& text, const QDate& today = QDate::currentDate()) const;

private:
    QString formatNumber(double value) const;
    QString formatMask(const QString& text) const;
    PictureValue parseNumber(const QString& text) const;
    PictureValue parseText(const QString& text) const;
    PictureValue parseMask(const QString& text) const;
    bool hasLiterals() const;

    QString picture_;
    Separators separators_;
    Kind kind_ = Kind::Text;
    QString integerMask_;   ///< "9", "Z" and "," before the point
    QString fractionMask_;  ///< "9" and "Z" after the point
    int integerDigits_ = 0;
};
