#include "app/text_conversion.h"

#include <QFile>
#include <QStringDecoder>

#include "platform/code_page.h"

namespace tovra {

QString ToQString(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) return decoded;
    const std::u16string wide = CodePageToUtf16(text, 1252);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

std::string PathFromQString(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace tovra
