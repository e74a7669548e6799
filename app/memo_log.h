// The status log on a multi-line text control: each line appended at the end,
// the view kept on the last line.
#pragma once

#include "engine/run_host.h"

class QPlainTextEdit;

namespace tovra {

class TMemoLog : public TStatusLog {
public:
    // Lines go nowhere until a control is attached.
    void Attach(QPlainTextEdit* memo) { memo_ = memo; }
    void Append(const std::string& line) override;
    void Clear() override;

private:
    QPlainTextEdit* memo_ = nullptr;
};

}  // namespace tovra
