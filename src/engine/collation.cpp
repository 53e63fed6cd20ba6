#include "engine/collation.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/ucol.h>
#include <unicode/uiter.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <stdexcept>

#include "common/char_map.h"
#include "common/utf8_chars.h"

namespace qvr {

std::string collation_locale(const char* lc_all, const char* lc_collate, const char* lang) {
    const char* chosen = nullptr;
    for (const char* value : {lc_all, lc_collate, lang}) {
        if (value && *value) {
            chosen = value;
            break;
        }
    }
    if (!chosen) return "";
    std::string name(chosen);
    std::size_t cut = name.find_first_of(".@");
    if (cut != std::string::npos) name.resize(cut);
    if (name == "C" || name == "POSIX") return "";
    return name;
}

std::string user_collation_locale() {
    return collation_locale(std::getenv("LC_ALL"), std::getenv("LC_COLLATE"), std::getenv("LANG"));
}

Collation::Collation(const std::string& icu_locale, TextEncoding encoding, CollationTies ties)
    : encoding_(encoding), ties_(ties) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icu_locale.empty() ? icu::Locale::getRoot() : icu::Locale(icu_locale.c_str());
    collator_.reset(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        collator_.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    }
    if (U_FAILURE(status) || !collator_) throw std::runtime_error("No collation is available for sorting.");
    collator_->setStrength(icu::Collator::SECONDARY);
}

Collation::Collation(icu::Collator* collator, TextEncoding encoding, CollationTies ties)
    : collator_(collator), encoding_(encoding), ties_(ties) {
    if (!collator_) throw std::bad_alloc();
}

Collation::~Collation() = default;

std::unique_ptr<Collation> Collation::copy() const {
    return std::unique_ptr<Collation>(new Collation(collator_->clone(), encoding_, ties_));
}

namespace {
/// Each byte's character in Windows-1252 (the table it comes from is constant, so this one is made before
/// any collation runs, and read without a guard for every character ICU asks for).
const std::array<char16_t, 256> kByteChars = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = byte_to_char(static_cast<unsigned char>(b));
    return t;
}();
}  // namespace

bool Collation::one_char_a_byte(std::string_view bytes) const {
    return encoding_ == TextEncoding::cp1252 || !has_high_byte(bytes);
}

void Collation::decode(std::string_view bytes) {
    // A text never takes more UTF-16 units than it has bytes, so they are written straight into room made
    // once; appending unit by unit took a third of a sorted run of UTF-8 lines.
    chars_.resize(bytes.size());
    char16_t* out = chars_.data();
    const char* const end = bytes.data() + bytes.size();
    const bool by_byte = one_char_a_byte(bytes);
    for (const char* p = bytes.data(); p < end;) {
        const auto b = static_cast<unsigned char>(*p);
        if (by_byte || b < 0x80) {
            *out++ = kByteChars[b];
            ++p;
            continue;
        }
        const std::size_t size = utf8_char_size(p, end);
        const long cp = utf8_code_point(p, size);
        // A stray byte collates as the Windows-1252 character it would be.
        if (cp < 0)
            *out++ = kByteChars[b];
        else
            out = put_utf16(static_cast<char32_t>(cp), out);
        p += size;
    }
    chars_.resize(static_cast<std::size_t>(out - chars_.data()));
}

void Collation::append_key(std::string_view bytes, std::string& out) {
    // ICU counts in 32 bits; a line longer than that collates by its first 2 GiB.
    bytes = bytes.substr(0, static_cast<std::size_t>(INT32_MAX));
    decode(bytes);
    if (key_.size() < 64) key_.resize(64);
    const auto* text = reinterpret_cast<const UChar*>(chars_.data());
    const auto length = static_cast<int32_t>(chars_.size());
    int32_t needed = collator_->getSortKey(text, length, key_.data(), static_cast<int32_t>(key_.size()));
    if (needed > static_cast<int32_t>(key_.size())) {
        key_.resize(static_cast<std::size_t>(needed));
        needed = collator_->getSortKey(text, length, key_.data(), needed);
    }
    // The key ends in one 0 byte, its only one; without it, byte order with the shorter first still holds.
    if (needed > 0)
        out.append(reinterpret_cast<const char*>(key_.data()), static_cast<std::size_t>(needed) - 1);
    append_tie(out);
}

namespace {
/// `chars` case-folded (the full folding, without the Turkic special case) into `folded`.
void fold_case(const std::u16string& chars, std::u16string& folded) {
    // Folding seldom makes a text longer; when it does, ICU says how long and it is folded again.
    folded.resize(chars.size() + 16);
    for (int tries = 0; tries < 2; ++tries) {
        UErrorCode status = U_ZERO_ERROR;
        const int32_t size =
            u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), static_cast<int32_t>(folded.size()),
                          reinterpret_cast<const UChar*>(chars.data()), static_cast<int32_t>(chars.size()),
                          U_FOLD_CASE_DEFAULT, &status);
        if (U_SUCCESS(status)) {
            folded.resize(static_cast<std::size_t>(size));
            return;
        }
        if (status != U_BUFFER_OVERFLOW_ERROR) break;
        folded.resize(static_cast<std::size_t>(size));
    }
    throw std::runtime_error("ICU cannot fold the letter case of a line");
}
}  // namespace

void Collation::append_tie(std::string& out) {
    if (ties_ == CollationTies::equal) return;
    fold_case(chars_, folded_);
    out.reserve(out.size() + 1 + 2 * folded_.size());
    out.push_back('\0');
    for (const char16_t unit : folded_) {
        out.push_back(static_cast<char>(unit >> 8));
        out.push_back(static_cast<char>(unit & 0xFF));
    }
}

int Collation::compare_folded() {
    fold_case(chars_, folded_);
    fold_case(other_chars_, other_folded_);
    // As the tie-breakers of append_tie() compare: unit by unit, the shorter first.
    const int c = folded_.compare(other_folded_);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

namespace {

/// The characters of Windows-1252 bytes (or of ASCII read as UTF-8), handed to ICU one at a time as it asks
/// for them: the first characters of a line usually make the bytes of a key wanted, so the rest of the
/// line is never decoded.
struct ByteChars {
    static const unsigned char* bytes(UCharIterator* it) {
        return static_cast<const unsigned char*>(it->context);
    }
    static int32_t get_index(UCharIterator* it, UCharIteratorOrigin origin) {
        switch (origin) {
            case UITER_START:
            case UITER_ZERO:
                return 0;
            case UITER_CURRENT:
                return it->index;
            default:
                return it->length;
        }
    }
    static int32_t move(UCharIterator* it, int32_t delta, UCharIteratorOrigin origin) {
        const std::int64_t to = std::int64_t{get_index(it, origin)} + delta;
        it->index = static_cast<int32_t>(std::clamp<std::int64_t>(to, 0, it->length));
        return it->index;
    }
    static UBool has_next(UCharIterator* it) { return it->index < it->length; }
    static UBool has_previous(UCharIterator* it) { return it->index > 0; }
    static UChar32 current(UCharIterator* it) {
        return it->index < it->length ? kByteChars[bytes(it)[it->index]] : U_SENTINEL;
    }
    static UChar32 next(UCharIterator* it) {
        return it->index < it->length ? kByteChars[bytes(it)[it->index++]] : U_SENTINEL;
    }
    static UChar32 previous(UCharIterator* it) {
        return it->index > 0 ? kByteChars[bytes(it)[--it->index]] : U_SENTINEL;
    }
    static uint32_t get_state(const UCharIterator* it) { return static_cast<uint32_t>(it->index); }
    static void set_state(UCharIterator* it, uint32_t state, UErrorCode* status) {
        if (U_FAILURE(*status)) return;
        if (state > static_cast<uint32_t>(it->length))
            *status = U_INDEX_OUTOFBOUNDS_ERROR;
        else
            it->index = static_cast<int32_t>(state);
    }
    static void set(UCharIterator& it, std::string_view text) {
        it = UCharIterator{};
        it.context = text.data();
        it.length = it.limit = static_cast<int32_t>(text.size());
        it.getIndex = get_index;
        it.move = move;
        it.hasNext = has_next;
        it.hasPrevious = has_previous;
        it.current = current;
        it.next = next;
        it.previous = previous;
        it.getState = get_state;
        it.setState = set_state;
    }
};
}  // namespace

bool Collation::append_key_prefix(std::string_view bytes, std::size_t n, std::string& out) {
    bytes = bytes.substr(0, static_cast<std::size_t>(INT32_MAX));
    // ICU writes a sort key part by part, each part the next bytes of the whole key; making only the first
    // ones spares most of the work for a line whose first characters already tell it from the others.
    UCharIterator text;
    if (one_char_a_byte(bytes)) {
        ByteChars::set(text, bytes);
    } else {
        decode(bytes);
        uiter_setString(&text, reinterpret_cast<const UChar*>(chars_.data()),
                        static_cast<int32_t>(chars_.size()));
    }
    std::uint32_t state[2] = {0, 0};
    UErrorCode status = U_ZERO_ERROR;
    if (key_.size() < n + 1) key_.resize(n + 1);
    std::int32_t got = ucol_nextSortKeyPart(collator_->toUCollator(), &text, state, key_.data(),
                                            static_cast<std::int32_t>(n + 1), &status);
    if (U_FAILURE(status)) throw std::runtime_error("ICU cannot collate a line");
    // The whole key's closing 0 byte, its only one, is no part of what append_key() gives.
    if (got > 0 && key_[static_cast<std::size_t>(got) - 1] == 0) --got;
    const auto size = static_cast<std::size_t>(got);
    out.append(reinterpret_cast<const char*>(key_.data()), std::min(size, n));
    if (size > n || ties_ == CollationTies::equal) return size > n;
    // The whole key is known and the tie-breaker follows it.
    if (one_char_a_byte(bytes)) decode(bytes);
    std::string tie;
    append_tie(tie);
    out.append(tie, 0, n - size);
    return tie.size() > n - size;
}

int Collation::compare(std::string_view a, std::string_view b) {
    // Whole texts in UTF-16 take ICU's quick way for Latin letters, which a character iterator does not.
    decode(b.substr(0, static_cast<std::size_t>(INT32_MAX)));
    other_chars_.swap(chars_);
    decode(a.substr(0, static_cast<std::size_t>(INT32_MAX)));
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        collator_->compare(reinterpret_cast<const UChar*>(chars_.data()), static_cast<int32_t>(chars_.size()),
                           reinterpret_cast<const UChar*>(other_chars_.data()),
                           static_cast<int32_t>(other_chars_.size()), status);
    if (U_FAILURE(status)) throw std::runtime_error("ICU cannot collate a line");
    if (result == UCOL_EQUAL && ties_ == CollationTies::by_folded_text) return compare_folded();
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

}  // namespace qvr
