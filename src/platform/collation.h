// The user's collation locale, for ordering the string lists.
#ifndef QUILLON_PLATFORM_COLLATION_H_
#define QUILLON_PLATFORM_COLLATION_H_

#include <memory>

#include "text/string_list.h"

namespace quillon {

// The collation of the locale named by LC_ALL, LC_COLLATE or LANG; plain
// byte order when none is set or the named locale is not installed. Strings
// the locale calls equal are ordered by their bytes, so that only equal
// strings compare equal.
std::unique_ptr<Collation> NewLocaleCollation();

}  // namespace quillon

#endif  // QUILLON_PLATFORM_COLLATION_H_
