#include "dictionary/Layout.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

#include "common/Text.h"

namespace vel {

const char* fieldTypeName(FieldType t) {
  switch (t) {
    case FieldType::String: return "STRING";
    case FieldType::Byte: return "BYTE";
    case FieldType::Short: return "SHORT";
    case FieldType::Long: return "LONG";
    case FieldType::Date: return "DATE";
    case FieldType::Real: return "REAL";
  }
  return "?";
}

std::int64_t FieldRef::minWhole() const {
  switch (type()) {
    case FieldType::Byte: return Byte::kMin;
    case FieldType::Short: return Short::kMin;
    case FieldType::Long: return Long::kMin;
    case FieldType::Date: return Date::kMin;
    default: return 0;
  }
}

std::int64_t FieldRef::maxWhole() const {
  switch (type()) {
    case FieldType::Byte: return Byte::kMax;
    case FieldType::Short: return Short::kMax;
    case FieldType::Long: return Long::kMax;
    case FieldType::Date: return Date::kMax;
    default: return 0;
  }
}

void FieldRef::clear() const {
  if (isText()) text().clear();
  else if (isReal()) real() = 0;
  else whole() = 0;
}

void FieldRef::assign(const FieldRef& from) const {
  if (isText()) text() = from.isText() ? from.text() : from.display();
  else if (isReal()) real() = from.isReal() ? from.real() : static_cast<double>(from.whole());
  else whole() = from.isReal() ? static_cast<std::int64_t>(from.real()) : from.whole();
}

void FieldRef::setHighest() const {
  if (isText()) text().assign(static_cast<std::size_t>(desc_->width), '\xFF');
  else if (isReal()) real() = std::numeric_limits<double>::max();
  else whole() = maxWhole();
}

std::string FieldRef::display() const {
  if (isText()) return std::string(rtrim(text()));
  if (isReal()) return formatPlain(real());
  return std::to_string(whole());
}

int Layout::fieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (equalsNoCase(fields_[i].name, name)) return static_cast<int>(i);
  return -1;
}

int Layout::keyIndex(std::string_view name) const {
  for (std::size_t i = 0; i < keys_.size(); ++i)
    if (equalsNoCase(keys_[i].name, name)) return static_cast<int>(i);
  return -1;
}

int Layout::autoNumberKey() const {
  for (std::size_t i = 0; i < keys_.size(); ++i)
    if (keys_[i].autoNumber()) return static_cast<int>(i);
  return -1;
}

int Layout::recordBytes() const {
  int n = 0;
  for (const auto& f : fields_) n += f.width;
  return n;
}

std::string Layout::keyDescription(int key) const {
  return prefix_ + ":" + keys_[static_cast<std::size_t>(key)].name;
}

std::string Layout::signature() const {
  std::string s;
  for (const auto& f : fields_) {
    s += f.name;
    s += ' ';
    s += fieldTypeName(f.type);
    s += '(' + std::to_string(f.width) + ");";
  }
  for (const auto& k : keys_) {
    s += "|" + k.name + (k.unique() ? " U" : " D") + (k.excludeEmpty() ? "X" : "") +
         (k.primary() ? "P" : "") + (k.autoNumber() ? "A" : "") + ":";
    for (int c : k.components) s += std::string(fields_[static_cast<std::size_t>(c)].name) + ",";
  }
  return s;
}

void Layout::clear(void* rec) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) field(rec, static_cast<int>(i)).clear();
}

void Layout::addKeys(const std::vector<KeySpec>& keys) {
  for (const auto& declared : keys) {
    KeyDesc k;
    k.name = declared.name;
    k.flags = declared.flags;
    for (const char* c : declared.components) {
      int i = fieldIndex(c);
      if (i < 0) {
        // A key naming a field the layout lacks is a declaration fault: stop at once.
        std::fprintf(stderr, "Layout %s: key %s names unknown field %s\n", label_.c_str(),
                     declared.name, c);
        std::abort();
      }
      k.components.push_back(i);
    }
    keys_.push_back(std::move(k));
  }
}

}  // namespace vel
