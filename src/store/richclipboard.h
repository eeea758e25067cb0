#pragma once

class QMimeData;
class QTextCursor;

namespace store {

// The selected part of a rich-text box as the clipboard takes it: RTF (as
// "text/rtf" and "application/rtf"), HTML and plain text. Null when nothing
// is selected; the caller owns the result.
QMimeData *selectionMimeData(const QTextCursor &cursor);

} // namespace store
