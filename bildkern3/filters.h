// Filter texts for file dialogs: "description|mask|description|mask...".
#pragma once

namespace bk3 {
extern const char *const open_filter;
extern const char *const save_filter;
} // namespace bk3
