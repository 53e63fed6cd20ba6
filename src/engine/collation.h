#pragma once

#include <unicode/uversion.h>

#include <memory>
#include <string>
#include <string_view>

#include "engine/job_settings.h"

U_NAMESPACE_BEGIN
class Collator;
U_NAMESPACE_END

namespace qvr {

/// The ICU locale whose collation the sorted extract uses, picked from the POSIX locale variables in
/// their order of precedence (LC_ALL, else LC_COLLATE, else LANG; unset and empty values are skipped).
/// "C", "POSIX" or nothing gives "" (ICU's root collation); an encoding (".UTF-8") or modifier ("@euro")
/// is dropped, since ICU names locales without them.
std::string collation_locale(const char* lc_all, const char* lc_collate, const char* lang);

/// The same, read from this process's environment.
std::string user_collation_locale();

/// How two texts that the collator finds alike compare.
enum class CollationTies {
    equal,           ///< they are equal: the sorted extract's order
    by_folded_text,  ///< by their case-folded texts, so that only texts alike but for letter case are equal
};

/// The locale-aware, case-insensitive order of the sorted extract: an ICU collator at secondary
/// strength (accents count, letter case does not). Lines are compared through sort keys, so each line
/// is collated once and the sort itself compares bytes.
///
/// Secondary strength also passes over control and zero-width characters and compatibility forms
/// ("A2" and "A" with a superscript two, full-width letters), which no collator strength can tell apart from
/// letter case while ignoring case. Dropping duplicates therefore breaks ties by the case-folded texts: the
/// order stays the collator's, and equal keys mean texts equal but for letter case.
class Collation {
  public:
    /// A collator for `icu_locale` ("" for the root collation); an unknown locale falls back to the
    /// root. Throws std::runtime_error when ICU offers no collator at all.
    /// `encoding` says how the texts to collate are read.
    explicit Collation(const std::string& icu_locale, TextEncoding encoding = TextEncoding::cp1252,
                       CollationTies ties = CollationTies::equal);
    ~Collation();
    Collation(const Collation&) = delete;
    Collation& operator=(const Collation&) = delete;

    /// An independent copy of this collation, for another thread (one collator serves one thread).
    std::unique_ptr<Collation> copy() const;

    /// Appends the sort key of the text `bytes` to `out`, without ICU's closing 0 byte. Two texts
    /// compare under this collation as their keys compare byte by byte, the shorter first on a tie.
    void append_key(std::string_view bytes, std::string& out);
    /// Appends the first `n` bytes of that key (all of it when it is shorter); returns whether it goes on.
    bool append_key_prefix(std::string_view bytes, std::size_t n, std::string& out);
    /// How `a` compares with `b` under this collation (below, at or above 0), as their keys would; it
    /// stops at the first difference, so two lines cost less than their two whole keys.
    int compare(std::string_view a, std::string_view b);

  private:
    Collation(icu::Collator* collator, TextEncoding encoding, CollationTies ties);
    /// Whether each byte of `bytes` is one character (Windows-1252, or UTF-8 without a high byte).
    bool one_char_a_byte(std::string_view bytes) const;
    /// `bytes` as UTF-16 in chars_.
    void decode(std::string_view bytes);
    /// Appends the tie-breaker of the text decoded in chars_ (a 0 byte, below every key byte, then its
    /// case-folded UTF-16 units big-endian), when ties are told apart.
    void append_tie(std::string& out);
    /// How the case-folded texts of chars_ and other_chars_ compare.
    int compare_folded();

    std::unique_ptr<icu::Collator> collator_;
    TextEncoding encoding_;
    CollationTies ties_;
    std::u16string chars_;                  // reused for every line
    std::u16string other_chars_;            // the second line of compare()
    std::basic_string<unsigned char> key_;  // reused for every line
    std::u16string folded_, other_folded_;  // the case-folded texts of ties
};

}  // namespace qvr
