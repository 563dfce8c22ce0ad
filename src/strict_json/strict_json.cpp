#include "strict_json/strict_json.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <limits>
#include <unordered_set>
#include <utility>
#include <vector>

namespace strict_json {
namespace {

// A byte iterator that records how far the parser has read, so that errors found in the SAX
// callbacks (which carry no position) can still say where they are.
class CountingIterator {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator() = default;
    CountingIterator(const char* at, const char* begin, std::size_t* consumed)
        : at_(at), begin_(begin), consumed_(consumed) {}

    reference operator*() const { return *at_; }
    CountingIterator& operator++() {
        ++at_;
        *consumed_ = static_cast<std::size_t>(at_ - begin_);
        return *this;
    }
    CountingIterator operator++(int) {
        CountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CountingIterator& other) const { return at_ == other.at_; }
    bool operator!=(const CountingIterator& other) const { return at_ != other.at_; }

  private:
    const char* at_ = nullptr;
    const char* begin_ = nullptr;
    std::size_t* consumed_ = nullptr;
};

// "[json.exception.parse_error.101] parse error at line 1, column 2: syntax error ..." keeps
// only what went wrong; the position is reported separately.
std::string plain_message(std::string_view what) {
    if (const auto bracket = what.find("] "); bracket != std::string_view::npos) {
        what.remove_prefix(bracket + 2);
    }
    if (what.substr(0, 11) == "parse error") {
        if (const auto colon = what.find(": "); colon != std::string_view::npos) {
            what.remove_prefix(colon + 2);
        }
    }
    return std::string(what);
}

void locate(std::string_view text, std::size_t offset, ParseError& error) {
    offset = std::min(offset, text.size());
    error.line = 1;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++error.line;
            line_start = i + 1;
        }
    }
    error.column = offset - line_start + 1;
}

// The keys of one object so far. Objects here mostly hold a handful of keys, where a linear scan
// beats any set; a large (possibly hostile) object moves to a hash set so the check stays linear.
class KeySet {
  public:
    void clear() {
        few_.clear();
        many_.clear();
    }
    // False when the key was there already.
    bool insert(const std::string& key) {
        if (!many_.empty()) {
            return many_.insert(key).second;
        }
        if (std::find(few_.begin(), few_.end(), key) != few_.end()) {
            return false;
        }
        few_.push_back(key);
        if (few_.size() > 32) {
            many_.insert(few_.begin(), few_.end());
            few_.clear();
        }
        return true;
    }

  private:
    std::vector<std::string> few_;
    std::unordered_set<std::string> many_;
};

// Builds the document (the way nlohmann's own DOM builder does) and deals with repeated keys on
// the way: either the parse fails, or the key's value is replaced by a discarded value once its
// object is complete, so that only a reader that asks for that key is affected.
class StrictSax {
  public:
    StrictSax(Json& root, const std::size_t* consumed, RepeatedKeys repeated)
        : root_(root), consumed_(consumed), repeated_keys_(repeated) {}

    bool null() { return put(nullptr); }
    bool boolean(bool v) { return put(v); }
    bool number_integer(Json::number_integer_t v) { return put(v); }
    bool number_unsigned(Json::number_unsigned_t v) { return put(v); }
    bool number_float(Json::number_float_t v, const Json::string_t&) { return put(v); }
    bool string(Json::string_t& v) { return put(std::move(v)); }
    bool binary(Json::binary_t& v) { return put(Json::binary(std::move(v))); }
    bool start_object(std::size_t) {
        // Reuse the key lists of closed objects: most answers are many small objects.
        if (depth_ == keys_.size()) {
            keys_.emplace_back();
            repeated_.emplace_back();
        }
        keys_[depth_].clear();
        repeated_[depth_].clear();
        ++depth_;
        open(Json::value_t::object);
        return true;
    }
    bool key(Json::string_t& k) {
        if (!keys_[depth_ - 1].insert(k)) {
            if (repeated_keys_ == RepeatedKeys::Reject) {
                error_ = ParseError{fmt::format("repeated key \"{}\"", k)};
                error_offset_ = *consumed_;
                return false;
            }
            repeated_[depth_ - 1].push_back(k);
        }
        member_ = &stack_.back()->get_ref<Json::object_t&>()[k];
        return true;
    }
    bool end_object() {
        --depth_;
        auto& object = stack_.back()->get_ref<Json::object_t&>();
        for (const std::string& k : repeated_[depth_]) {
            object[k] = Json(Json::value_t::discarded);
        }
        stack_.pop_back();
        return true;
    }
    bool start_array(std::size_t) {
        open(Json::value_t::array);
        return true;
    }
    bool end_array() {
        stack_.pop_back();
        return true;
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& ex) {
        if (!error_) {
            error_ = ParseError{plain_message(ex.what())};
            // nlohmann positions count from 1 at the offending byte.
            error_offset_ = position > 0 ? position - 1 : 0;
        }
        return false;
    }

    const std::optional<ParseError>& error() const { return error_; }
    std::size_t error_offset() const { return error_offset_; }

  private:
    // Places a value where the text is: the root, the next element of the open array, or the
    // member whose key was just read. Open containers are never moved while they are filled, so
    // the pointers on the stack stay valid.
    template <typename Value>
    Json* place(Value&& value) {
        if (stack_.empty()) {
            root_ = Json(std::forward<Value>(value));
            return &root_;
        }
        Json& parent = *stack_.back();
        if (parent.is_array()) {
            auto& elements = parent.get_ref<Json::array_t&>();
            elements.emplace_back(std::forward<Value>(value));
            return &elements.back();
        }
        *member_ = Json(std::forward<Value>(value));
        return member_;
    }
    template <typename Value>
    bool put(Value&& value) {
        place(std::forward<Value>(value));
        return true;
    }
    void open(Json::value_t kind) { stack_.push_back(place(Json(kind))); }

    Json& root_;
    const std::size_t* consumed_;
    RepeatedKeys repeated_keys_;
    std::vector<Json*> stack_;
    Json* member_ = nullptr;
    std::vector<KeySet> keys_;
    std::vector<std::vector<std::string>> repeated_;
    std::size_t depth_ = 0;
    std::optional<ParseError> error_;
    std::size_t error_offset_ = 0;
};

}  // namespace

std::variant<Json, ParseError> parse(std::string_view text, RepeatedKeys repeated) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        return ParseError{"a byte-order mark is not JSON", 1, 1};
    }
    Json root;
    std::size_t consumed = 0;
    StrictSax sax(root, &consumed, repeated);
    const char* begin = text.data();
    bool ok = false;
    try {
        ok = Json::sax_parse(CountingIterator(begin, begin, &consumed),
                             CountingIterator(begin + text.size(), begin, &consumed), &sax);
    } catch (const std::exception& ex) {
        return ParseError{ex.what()};
    }
    if (!ok || sax.error()) {
        ParseError error = sax.error().value_or(ParseError{"malformed JSON"});
        locate(text, sax.error_offset(), error);
        return error;
    }
    return root;
}

std::optional<std::int64_t> as_i64(const Json& value) {
    if (value.is_number_integer() && !value.is_number_unsigned()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_unsigned()) {
        const auto u = value.get<std::uint64_t>();
        if (u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return static_cast<std::int64_t>(u);
        }
    }
    return std::nullopt;
}

std::optional<std::int32_t> as_i32(const Json& value) {
    const auto v = as_i64(value);
    if (!v || *v < std::numeric_limits<std::int32_t>::min() ||
        *v > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*v);
}

std::optional<std::uint32_t> as_u32(const Json& value) {
    const auto v = as_i64(value);
    if (!v || *v < 0 || *v > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*v);
}

std::optional<std::string> enum_tag(const Json& value) {
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (value.is_object() && value.size() == 1 && value.begin().value().is_null()) {
        return value.begin().key();
    }
    return std::nullopt;
}

}  // namespace strict_json
