// Field values as the windows show them and as the clerk types them.
//
// One place turns a field into text (for list columns and form entries) and
// text back into a field, refusing what does not fit: too long for the field,
// not a number, a number out of the field's range, a date that does not
// exist. A refusal names the entry and leaves the field as it was.
#pragma once

#include <string>
#include <string_view>

#include "dictionary/Layout.h"
#include "forms/FormDecl.h"

namespace vel {

// The picture an entry or column uses: its own, or one from the field
// (text: sN, whole numbers: plain digits, reals: n_9.2, dates: d06 when the
// entry is a date entry).
std::string pictureFor(const FieldRef& f, std::string_view picture, EntryKind kind);

// The field as text in `picture` (see pictureFor), without padding.
std::string fieldText(const FieldRef& f, std::string_view picture, EntryKind kind = EntryKind::Text);

// Writes typed text into the field. On a refusal returns false, leaves the
// field unchanged and sets `problem` to the message to show: "31/02/2026 is
// not a date", "Premium is too large: the largest allowed is 999999.99".
// Amounts take a decimal comma ("12,50") as well as a point.
bool setFieldText(const FieldRef& f, const EntryDecl& entry, std::string_view text,
                  std::string& problem);

// The title of the box that shows a refusal of setFieldText.
inline constexpr std::string_view kEntryErrorTitle = "Invalid Entry";

}  // namespace vel
