#pragma once

#include "authoring/Host.h"

#include <QStringList>

// The main window as the authoring windows see it, for their tests.
class FakeHost : public AuthoringHost
{
public:
    QString library;
    int reloads = 0;
    QStringList description; // description, count, author as last shown

    QString selectedLibrary() const override { return library; }
    void reloadLibraries() override { ++reloads; }
    void showDescription(const QString &text, const QString &count, const QString &author) override
    {
        description = {text, count, author};
    }
};
