#include "dialogs/EventListDialog.h"
#include "dialogs/HelpLauncher.h"
#include "DialogTestSupport.h"

#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

QStringList entries(const EventListDialog& dialog) {
    QStringList out;
    for (int i = 0; i < dialog.list()->count(); ++i) out << dialog.list()->item(i)->text();
    return out;
}

}  // namespace

TEST(EventList, ListsEventFilesLowerCasedAndSorted) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("B.EVT"), "x");
    dir.write(QStringLiteral("a.evt"), "x");
    dir.write(QStringLiteral("1990010100.Evt"), "x");
    dir.write(QStringLiteral("notes.txt"), "x");
    dir.write(QStringLiteral("evt"), "x");
    dir.write(QStringLiteral("folder.evt/inside.txt"), "x");   // a folder, not an event
    EventListDialog dialog(nullptr);
    EXPECT_EQ(entries(dialog),
              (QStringList{"1990010100.evt", "a.evt", "b.evt"}));
    EXPECT_EQ(findControl(&dialog, EventListDialog::kListId), dialog.list());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Event Selection"));
}

TEST(EventList, EmptyOrMissingDirectoryGivesAnEmptyList) {
    ScratchDirectory dir;
    EXPECT_TRUE(listEventFiles(".").empty());
    EXPECT_TRUE(listEventFiles("no-such-folder").empty());
    EventListDialog dialog(nullptr);
    EXPECT_EQ(dialog.list()->count(), 0);
    findControlAs<QPushButton>(&dialog, kIdOk)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosenName(), "");
}

TEST(EventList, OkAndDoubleClickReturnTheSelectedName) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("1995011620.evt"), "x");
    dir.write(QStringLiteral("2004122600.evt"), "x");
    {
        EventListDialog dialog(nullptr);
        dialog.list()->setCurrentRow(1);
        findControlAs<QPushButton>(&dialog, kIdOk)->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.chosenName(), "2004122600.evt");
    }
    {
        EventListDialog dialog(nullptr);
        QListWidgetItem* item = dialog.list()->item(0);
        dialog.list()->setCurrentItem(item);
        emit dialog.list()->itemDoubleClicked(item);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.chosenName(), "1995011620.evt");
    }
    {
        EventListDialog dialog(nullptr);
        dialog.list()->setCurrentRow(0);
        findControlAs<QPushButton>(&dialog, kIdCancel)->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(dialog.chosenName(), "");
    }
}

TEST(EventList, LongNamesAreReturnedWhole) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("kobe-mainshock-1995.evt"), "x");
    EventListDialog dialog(nullptr);
    dialog.list()->setCurrentRow(0);
    findControlAs<QPushButton>(&dialog, kIdOk)->click();
    EXPECT_EQ(dialog.chosenName(), "kobe-mainshock-1995.evt");
}

TEST(EventList, HelpOpensTopic1013EachTimeAndKeepsTheList) {
    ScratchDirectory dir;
    dir.write(QStringLiteral("a.evt"), "x");
    dir.write(QStringLiteral("help/1013.html"), "<html></html>");
    std::vector<QUrl> opened;
    setHelpOpener([&](const QUrl& url) { opened.push_back(url); return true; });
    EventListDialog dialog(nullptr);
    dialog.list()->setCurrentRow(0);
    auto* help = findControlAs<QPushButton>(&dialog, kIdHelp);
    help->click();
    help->click();
    setHelpOpener({});
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(opened[0].toLocalFile().endsWith(QStringLiteral("help/1013.html")));
    EXPECT_EQ(entries(dialog), QStringList{"a.evt"});
    EXPECT_EQ(dialog.list()->currentRow(), 0);
    EXPECT_EQ(dialog.result(), 0);   // still open: neither accepted nor rejected
}
