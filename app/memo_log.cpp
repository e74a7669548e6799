#include "app/memo_log.h"

#include <QPlainTextEdit>
#include <QScrollBar>

#include "app/text_conversion.h"

namespace tovra {

void TMemoLog::Append(const std::string& line) {
    if (!memo_) return;
    memo_->appendPlainText(ToQString(line));
    if (QScrollBar* bar = memo_->verticalScrollBar()) bar->setValue(bar->maximum());
}

void TMemoLog::Clear() {
    if (memo_) memo_->clear();
}

}  // namespace tovra
