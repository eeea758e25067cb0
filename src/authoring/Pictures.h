#pragma once

#include <QIcon>
#include <QImage>

// The small pictures of the editor, the password gate and the move dialog:
// tool-bar and menu pictures, tab pictures and decorations. They are drawn
// here rather than read from files, so the windows need no picture files and
// no image plug-ins; the icons are drawn when they are first shown, which
// keeps them out of the program's start.
namespace pictures {

enum class Tool {
    Bold,
    Italic,
    Underline,
    Colour,
    Undo,
    Redo,
    Bullets,
    AlignLeft,
    AlignCentre,
    AlignRight,
    MoveUp,
    MoveTo,
    MoveDown,
    Cut,
    Copy,
    Paste,
    Jokes,
    Information,
    Password,
    Ok,
    Abort,
};

// A 16 × 16 picture.
QIcon tool(Tool which);
// A key, drawn to fill the given size.
QImage key(int width, int height);
// A padlock, drawn to fill the given size.
QImage padlock(int width, int height);

} // namespace pictures
