#include "dialogs/EventListDialog.h"

#include "fileio/FileSystem.h"

#include <QLabel>
#include <QListWidget>

#include <algorithm>
#include <cctype>

std::vector<std::string> listEventFiles(const std::string& dir) {
    std::vector<std::string> names;
    std::vector<std::string> all;
    if (!listDirectory(dir, all)) return names;
    for (std::string name : all) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (name.size() < 5 || name.compare(name.size() - 4, 4, ".evt") != 0) continue;
        if (!fileExists(joinPath(dir, name))) continue;   // a folder named *.evt
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

EventListDialog::EventListDialog(QWidget* parent, const std::string& dir)
    : DialogBase(parent, tr("Event Selection"), 190, 127, kHelpTopic) {
    place(new QLabel(tr("Pick an Event")), 0, 14, 8, 77, 15);
    list_ = new QListWidget;
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(list_, kListId, 14, 24, 93, 95);
    for (const std::string& name : listEventFiles(dir))
        list_->addItem(QString::fromStdString(name));
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { onOk(); });
    addStockButton(kIdOk, 126, 14, 50, 14);
    addStockButton(kIdCancel, 126, 32, 50, 14);
    addStockButton(kIdHelp, 126, 50, 50, 14);
}

void EventListDialog::onOk() {
    // The whole name is returned: a cut name would name a file that is not there.
    const QListWidgetItem* item = list_->currentItem();
    if (item && item->isSelected()) chosen_ = item->text().toStdString();
    accept();
}
