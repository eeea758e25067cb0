#pragma once

#include <QString>

// What the authoring windows use of the main window, which opens them.
class AuthoringHost
{
public:
    virtual ~AuthoringHost() = default;

    // The name in the main window's name box: the library the password gate
    // and the editor work on.
    virtual QString selectedLibrary() const = 0;
    // Reloads the main window's list of libraries from the list file; the
    // list has no selection afterwards.
    virtual void reloadLibraries() = 0;
    // Puts a library's description, joke count and author into the main
    // window's description panel.
    virtual void showDescription(const QString &description, const QString &count,
                                 const QString &author) = 0;
};
