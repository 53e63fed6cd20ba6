#include "engine/collation.h"

#include <unicode/coll.h>
#include <unicode/locid.h>

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

Collation::Collation(const std::string& icu_locale, TextEncoding encoding) : encoding_(encoding) {
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

Collation::Collation(icu::Collator* collator, TextEncoding encoding)
    : collator_(collator), encoding_(encoding) {
    if (!collator_) throw std::bad_alloc();
}

Collation::~Collation() = default;

std::unique_ptr<Collation> Collation::copy() const {
    return std::unique_ptr<Collation>(new Collation(collator_->clone(), encoding_));
}

void Collation::decode(std::string_view bytes) {
    static const std::array<char16_t, 256> kChars = [] {
        std::array<char16_t, 256> table{};
        for (int b = 0; b < 256; ++b) table[b] = byte_to_char(static_cast<unsigned char>(b));
        return table;
    }();
    if (encoding_ == TextEncoding::cp1252 || !has_high_byte(bytes)) {
        chars_.resize(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i)
            chars_[i] = kChars[static_cast<unsigned char>(bytes[i])];
        return;
    }
    chars_.clear();
    const char* const end = bytes.data() + bytes.size();
    for (const char* p = bytes.data(); p < end;) {
        const std::size_t size = utf8_char_size(p, end);
        const long cp = utf8_code_point(p, size);
        // A stray byte collates as the Windows-1252 character it would be.
        if (cp < 0)
            chars_ += kChars[static_cast<unsigned char>(*p)];
        else
            append_utf16(static_cast<char32_t>(cp), chars_);
        p += size;
    }
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
}

}  // namespace qvr
