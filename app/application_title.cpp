#include "app/application_title.h"

namespace tovra {
namespace {

std::string& Title() {
    static std::string title = kApplicationTitle;
    return title;
}

}  // namespace

void SetApplicationTitle(const std::string& title) { Title() = title; }

const std::string& ApplicationTitle() { return Title(); }

}  // namespace tovra
