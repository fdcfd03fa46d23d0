#pragma once
// Text into well-formed UTF-8: from Mac OS Roman bytes, or from bytes that should be UTF-8.
#include <QByteArray>
#include <QString>

namespace GTools {

// The bytes read as Mac OS Roman (the published table; 0xDB is the euro sign).
QString MakeUTF(const QByteArray& macRoman);
// The bytes read as UTF-8; every byte that is not part of a well-formed character becomes U+FFFD.
QString RemakeUTF(const QByteArray& utf8);
// The same for text already held: unpaired surrogates become U+FFFD.
QString RemakeUTF(const QString& text);

}  // namespace GTools
