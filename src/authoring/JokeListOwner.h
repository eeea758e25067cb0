#pragma once

class JokeList;

// A window with a library's list of jokes that the joke name prompts append
// to: the wizard and the library editor.
class JokeListOwner
{
public:
    virtual ~JokeListOwner() = default;

    // The list, with the library whose list file it is.
    virtual JokeList *jokes() = 0;
};
