#pragma once

#include <QString>
#include <QStringList>

// Cutting a long text into lines of at most `width` characters, as the audit
// trail stores its sentences (200 characters a line) and listings print
// long texts.
//
// Trailing blanks of the text are dropped. A line ends at a line break
// ("\r\n", "\r" or "\n"; the break itself belongs to no line) or at the end
// of the text. A line longer than `width` ends just before the last blank
// among its first `width` characters, and that blank is dropped; with no
// blank there it is cut after `width` characters. The rest of the text is
// cut the same way. An empty text has no lines.

/// Every line of `text` for `width`, in order.
QStringList splitLines(const QString& text, int width);

/// How many lines `text` takes at `width`.
int lineCount(const QString& text, int width);

/// Line `number` (from 1) of `text` at `width`; empty past the last line.
QString lineAt(const QString& text, int width, int number);
