#pragma once
// The info windows keep their texts as they were written, with a carriage return between lines.
#include <QString>

#include <initializer_list>

namespace info {

// The lines joined by carriage returns, none after the last.
inline QString Lines(std::initializer_list<const char*> lines) {
    QString text;
    bool firstLine = true;
    for (const char* line : lines) {
        if (!firstLine) text += QChar(13);
        text += QString::fromUtf8(line);
        firstLine = false;
    }
    return text;
}

// The text as a label shows it: a label would draw a carriage return as a blank.
inline QString Shown(QString text) {
    text.replace(QChar(13), QChar(10));
    return text;
}

}  // namespace info
