#pragma once

#include <QString>

class ListBox;

// A window with a library's list of joke names that the joke name prompts
// append to: the wizard and the library editor.
class JokeListOwner
{
public:
    virtual ~JokeListOwner() = default;

    // The library whose joke list file the list is.
    virtual QString jokeLibrary() const = 0;
    // The list a new name is appended to.
    virtual ListBox *jokeList() = 0;
};
