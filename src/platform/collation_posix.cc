#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/collation.h"

namespace quillon {
namespace {

class LocaleCollation final : public Collation {
 public:
  explicit LocaleCollation(locale_t locale) : locale_(locale) {}
  ~LocaleCollation() override { ::freelocale(locale_); }

  // The locale's transformed form (whose byte order is the locale's order)
  // up to the first NUL, a NUL, then the folded bytes themselves to break
  // ties. The transformed form holds no NUL, so byte order of the keys is
  // the locale's order first and byte order second.
  std::string SortKey(std::string_view folded) const override {
    const std::string text(folded);
    std::string key(text.size() * 4 + 16, '\0');
    std::size_t n = ::strxfrm_l(key.data(), text.c_str(), key.size(), locale_);
    if (n >= key.size()) {
      key.assign(n + 1, '\0');
      n = ::strxfrm_l(key.data(), text.c_str(), key.size(), locale_);
    }
    key.resize(n);
    key += '\0';
    key += folded;
    return key;
  }

 private:
  locale_t locale_;
};

// Locales whose collation is plain byte order: C and POSIX, and C.UTF-8,
// whose glibc collation is code point order by strcmp.
bool IsPlainLocale(const char* name) {
  if (name == nullptr) return true;
  const std::string n(name);
  return n == "C" || n == "POSIX" || n == "C.UTF-8" || n == "C.utf8" ||
         n == "C.UTF8" || n == "C.utf-8";
}

}  // namespace

std::unique_ptr<Collation> NewLocaleCollation() {
  // newlocale with "" reads LC_ALL, LC_COLLATE and LANG, in that order.
  locale_t locale = ::newlocale(LC_COLLATE_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) {
    return std::make_unique<ByteOrderCollation>();
  }
  const char* name = ::getenv("LC_ALL");
  if (name == nullptr || *name == '\0') name = ::getenv("LC_COLLATE");
  if (name == nullptr || *name == '\0') name = ::getenv("LANG");
  if (name == nullptr || *name == '\0' || IsPlainLocale(name)) {
    ::freelocale(locale);
    return std::make_unique<ByteOrderCollation>();
  }
  return std::make_unique<LocaleCollation>(locale);
}

}  // namespace quillon
