// What the conversion run needs from the program that hosts it: the status
// log, the settings it reads, and the window's wait cursor and repaints.
// The window and the command line implement these; tests record them.
#pragma once

#include <string>

namespace tovra {

// The status log: whole lines appended at its end.
class TStatusLog {
public:
    virtual ~TStatusLog() = default;
    virtual void Append(const std::string& line) = 0;
    virtual void Clear() = 0;
};

// The two settings a run reads, each time it needs them.
class TRunSettings {
public:
    virtual ~TRunSettings() = default;
    virtual std::string OutFolder() const = 0;
    virtual bool RemoveFonts() const = 0;
};

// The window's part of a run. Every hook does nothing by default.
class TRunView {
public:
    virtual ~TRunView() = default;
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}
    // Lets the window handle its pending messages once (paints the cleared log).
    virtual void ProcessPendingMessages() {}
    // Repaints the window and the log at once, without handling input.
    virtual void RepaintNow() {}
};

}  // namespace tovra
