// Test helper: the items of a string list as a vector, for comparisons.
#ifndef QUILLON_TEXT_STRING_LIST_TESTING_H_
#define QUILLON_TEXT_STRING_LIST_TESTING_H_

#include <string>
#include <vector>

#include "text/string_list.h"

namespace quillon {

inline std::vector<std::string> ListItems(const StringList& list) {
  std::vector<std::string> items;
  for (std::int64_t i = 0; i < list.Count(); ++i) items.emplace_back(list.Get(i));
  return items;
}

}  // namespace quillon

#endif  // QUILLON_TEXT_STRING_LIST_TESTING_H_
