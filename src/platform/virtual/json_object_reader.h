// Typed, path-aware reading of the JSON objects of a drive description.
// Every fault names the place it was found ("drives[1].ata.smart.raw"), and
// keys that nothing asked for are reported, so a misspelt key cannot go
// unnoticed.
#pragma once

#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace orvella {

// A drive description that cannot be used; the message says where and why.
class DriveFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A name that a whole number may be given by ("ERROR_ACCESS_DENIED").
struct NamedValue {
  std::string_view name;
  std::uint32_t value;
};

// A whole number as written: its sign and its size.
struct WholeNumber {
  bool negative = false;
  std::uint64_t magnitude = 0;
};

class JsonObjectReader {
 public:
  // Fails unless value is a JSON object.
  JsonObjectReader(const nlohmann::json& value, std::string path);

  std::string PathOf(std::string_view key) const;
  [[noreturn]] void Fail(std::string_view key, const std::string& problem) const;

  bool Has(std::string_view key) const;
  // The value under key, which must be there.
  const nlohmann::json& Required(std::string_view key);

  // Each Read leaves target as it is when the key is absent (or null).
  void Read(std::string_view key, bool& target);
  void Read(std::string_view key, double& target);
  // A text whose characters, codes 0 to 255, stand for one byte each.
  void ReadBytes(std::string_view key, std::string& target);
  void ReadBytes(std::string_view key, std::optional<std::string>& target);

  // A whole number: a JSON number, a text "0x..." in hexadecimal, or one of
  // the given names.
  template <std::integral T>
  void Read(std::string_view key, T& target, std::span<const NamedValue> names = {}) {
    if (const nlohmann::json* value = Take(key)) target = ToInteger<T>(*value, PathOf(key), names);
  }
  template <std::integral T>
  void Read(std::string_view key, std::optional<T>& target, std::span<const NamedValue> names = {}) {
    if (const nlohmann::json* value = Take(key)) target = ToInteger<T>(*value, PathOf(key), names);
  }

  // The object under key, read by f(JsonObjectReader&); nothing when absent.
  template <typename F>
  void ReadObject(std::string_view key, F read) {
    if (const nlohmann::json* value = Take(key)) {
      JsonObjectReader inner(*value, PathOf(key));
      read(inner);
      inner.CheckAllKeysUsed();
    }
  }
  // Every object of the array under key, in order, read by f(JsonObjectReader&).
  template <typename F>
  void ReadEach(std::string_view key, F read) {
    const nlohmann::json* array = Take(key);
    if (array == nullptr) return;
    if (!array->is_array()) Fail(key, "must be a list [...]");
    for (std::size_t i = 0; i < array->size(); ++i) {
      JsonObjectReader item((*array)[i], PathOf(key) + "[" + std::to_string(i) + "]");
      read(item);
      item.CheckAllKeysUsed();
    }
  }

  // Fails on the first key that no Read asked for ("comment" is always
  // allowed: it lets a file explain itself).
  void CheckAllKeysUsed() const;

  template <std::integral T>
  static T ToInteger(const nlohmann::json& value, const std::string& path, std::span<const NamedValue> names = {}) {
    const WholeNumber n = ParseWholeNumber(value, path, names);
    CheckRange(n, path, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
    return n.negative ? static_cast<T>(0 - n.magnitude) : static_cast<T>(n.magnitude);
  }

 private:
  // The value under key, marked as used; nullptr when absent or null.
  const nlohmann::json* Take(std::string_view key);
  static WholeNumber ParseWholeNumber(const nlohmann::json& value, const std::string& path,
                                      std::span<const NamedValue> names);
  static void CheckRange(const WholeNumber& n, const std::string& path, std::int64_t min, std::uint64_t max);

  const nlohmann::json& object_;
  std::string path_;
  std::set<std::string, std::less<>> used_;
};

}  // namespace orvella
