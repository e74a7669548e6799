#include "app/file_filter.h"

namespace tovra {

QStringList QtNameFilters(const std::string& filter) {
    QStringList result;
    if (filter.empty()) return result;
    const QStringList parts = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split('|');
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString name = parts[i].trimmed();
        QStringList patterns;
        if (i + 1 < parts.size()) {
            for (const QString& raw : parts[i + 1].split(';')) {
                QString pattern = raw.trimmed();
                if (pattern.isEmpty()) continue;
                if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
                patterns << pattern;
            }
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        result << QStringLiteral("%1 (%2)").arg(name, patterns.join(' '));
    }
    return result;
}

}  // namespace tovra
