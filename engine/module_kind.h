#pragma once

namespace tovra {

// What recognition found in a database; selects the conversion path.
enum class ModuleKind { Unknown, Dictionary, Commentary, Bible };

}  // namespace tovra
