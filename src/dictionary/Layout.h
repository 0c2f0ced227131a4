// Record layouts: the field descriptor and key list of one file.
//
// Each file's record is declared once, as a list of (name, field type) pairs:
//
//   #define VEL_TOWN_FIELDS(F) F(TOWN, Text<30>)
//   VEL_RECORD(TownRec, VEL_TOWN_FIELDS)
//
// which makes the struct `TownRec` with the member `TOWN` and its descriptor
// `TownRec::fields()` (name, type, width and an accessor per field). Everything
// generic (the record store's binding, exports, copying between layouts by
// field name, audit texts) works from the descriptor.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/Field.h"

namespace vel {

struct FieldDesc {
  const char* name;
  FieldType type;
  int width;  // bytes in the stored record
  void* (*addr)(void* rec);
};

// Typed access to one field of a record through its descriptor.
class FieldRef {
 public:
  FieldRef(const FieldDesc& d, void* rec) : desc_(&d), p_(d.addr(rec)) {}
  const FieldDesc& desc() const { return *desc_; }
  FieldType type() const { return desc_->type; }
  bool isText() const { return desc_->type == FieldType::String; }
  bool isReal() const { return desc_->type == FieldType::Real; }
  bool isWhole() const { return !isText() && !isReal(); }

  std::string& text() const { return *static_cast<std::string*>(p_); }  // String only
  std::int64_t& whole() const { return *static_cast<std::int64_t*>(p_); }  // Byte..Date
  double& real() const { return *static_cast<double*>(p_); }              // Real only

  // Smallest and largest value the stored field can hold (whole numbers).
  std::int64_t minWhole() const;
  std::int64_t maxWhole() const;

  void clear() const;
  // Takes the value of another field of the same kind (text, whole or real).
  void assign(const FieldRef& from) const;
  void setHighest() const;  // the highest value the field can hold
  std::string display() const;  // value as plain text (no picture)

 private:
  const FieldDesc* desc_;
  void* p_;
};

enum KeyFlags : unsigned {
  kDuplicates = 0,        // duplicates allowed (default)
  kUnique = 1u << 0,
  kPrimary = 1u << 1,
  kExcludeEmpty = 1u << 2,  // records whose key fields are all blank or zero are left out
  kAutoNumber = 1u << 3,    // the last component is numbered by the record store
};

struct KeyDesc {
  std::string name;              // "By_Client"
  std::vector<int> components;   // field indexes, in key order
  unsigned flags = 0;

  bool unique() const { return flags & kUnique; }
  bool primary() const { return flags & kPrimary; }
  bool excludeEmpty() const { return flags & kExcludeEmpty; }
  bool autoNumber() const { return flags & kAutoNumber; }
};

// Key as written in a file declaration: names of its component fields.
struct KeySpec {
  const char* name;
  std::vector<const char*> components;
  unsigned flags = 0;
};

// One record layout of a file: the struct's descriptor plus the file's keys.
class Layout {
 public:
  template <class Rec>
  static Layout of(std::string label, std::string prefix, std::vector<KeySpec> keys,
                   std::string variant = {}) {
    Layout l;
    l.label_ = std::move(label);
    l.prefix_ = std::move(prefix);
    l.variant_ = std::move(variant);
    l.fields_ = Rec::fields();
    l.make_ = [] { return static_cast<void*>(new Rec()); };
    l.free_ = [](void* p) { delete static_cast<Rec*>(p); };
    l.copy_ = [](void* to, const void* from) {
      *static_cast<Rec*>(to) = *static_cast<const Rec*>(from);
    };
    l.addKeys(keys);
    return l;
  }

  const std::string& label() const { return label_; }
  const std::string& prefix() const { return prefix_; }
  // Older layouts carry a letter ("A", "B", ...); the current layout none.
  const std::string& variant() const { return variant_; }
  const std::vector<FieldDesc>& fields() const { return fields_; }
  const std::vector<KeyDesc>& keys() const { return keys_; }

  int fieldIndex(std::string_view name) const;  // -1 when unknown
  int keyIndex(std::string_view name) const;    // -1 when unknown
  int autoNumberKey() const;                    // -1 when none
  int recordBytes() const;                      // sum of the stored widths
  // "CLI:By_Client": the key's description used in messages.
  std::string keyDescription(int key) const;
  // Text that changes whenever a field or key changes (name, type, width, order).
  std::string signature() const;

  FieldRef field(void* rec, int i) const { return FieldRef(fields_[i], rec); }

  void* make() const { return make_(); }
  void free(void* rec) const { free_(rec); }
  void copy(void* to, const void* from) const { copy_(to, from); }
  void clear(void* rec) const;

 private:
  void addKeys(const std::vector<KeySpec>& keys);

  std::string label_, prefix_, variant_;
  std::vector<FieldDesc> fields_;
  std::vector<KeyDesc> keys_;
  void* (*make_)() = nullptr;
  void (*free_)(void*) = nullptr;
  void (*copy_)(void*, const void*) = nullptr;
};

// A record buffer owned through its layout (for generic code).
class RecordBuffer {
 public:
  explicit RecordBuffer(const Layout& l) : layout_(&l), p_(l.make()) {}
  RecordBuffer(const RecordBuffer& o) : layout_(o.layout_), p_(o.layout_->make()) {
    layout_->copy(p_, o.p_);
  }
  RecordBuffer& operator=(const RecordBuffer& o) {
    if (this != &o) layout_->copy(p_, o.p_);
    return *this;
  }
  ~RecordBuffer() { layout_->free(p_); }
  void* get() const { return p_; }
  const Layout& layout() const { return *layout_; }
  FieldRef field(int i) const { return layout_->field(p_, i); }

 private:
  const Layout* layout_;
  void* p_;
};

}  // namespace vel

#define VEL_FIELD_MEMBER_(name, ...) __VA_ARGS__ name;
#define VEL_FIELD_DESC_(name, ...)                                                \
  ::vel::FieldDesc{#name, __VA_ARGS__::kType,                                     \
                   ::vel::storedBytes(__VA_ARGS__::kType, __VA_ARGS__::kWidth),   \
                   [](void* r) -> void* { return &static_cast<Self*>(r)->name.value; }},

// Declares the record struct `Name` with the fields of LIST and its descriptor.
#define VEL_RECORD(Name, LIST)                                        \
  struct Name {                                                       \
    LIST(VEL_FIELD_MEMBER_)                                           \
    static const std::vector<::vel::FieldDesc>& fields() {            \
      using Self = Name;                                              \
      static const std::vector<::vel::FieldDesc> d{LIST(VEL_FIELD_DESC_)}; \
      return d;                                                       \
    }                                                                 \
  }
