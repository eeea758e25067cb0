#pragma once

#include "browser/Unit1.h"
#include "controls/listbox.h"
#include "support/fakeservices.h"
#include "support/testfolder.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A program folder with two libraries, the scripted desktop, and the main
// window started on them when a test asks for it.
class MainWindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.makeProgramFolder();
        folder.makeLibrary(QStringLiteral("Zvířata"),
                           {QStringLiteral("Slon"), QStringLiteral("Žirafa")}, 1);
        folder.makeLibrary(QStringLiteral("Škola"), {QStringLiteral("Ťukání")});
    }

    THLAVNI &start()
    {
        window = std::make_unique<THLAVNI>(folder.path());
        return *window;
    }

    // Clicks the row of the list as the user does.
    void clickRow(int row)
    {
        ListBox *list = window->Seznam;
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void key(Qt::Key k) { QTest::keyClick(window->Seznam, k); }

    void openLibrary(int row)
    {
        clickRow(row);
        window->Tlac->click();
    }

    QByteArray listBytes() const { return folder.read(QStringLiteral("DataBase/seznam.dat")); }

    TestFolder folder;
    FakeServices services;
    std::unique_ptr<THLAVNI> window;
};
