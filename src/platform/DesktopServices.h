#pragma once

#include "platform/FolderItem.h"

#include <QUrl>

#include <optional>

// Opens a web address in the user's default browser.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    virtual void showUrl(const QUrl &url) = 0;
};

// The platform's save dialog: the chosen file, or nothing when the user cancels.
class SaveFileChooser
{
public:
    virtual ~SaveFileChooser() = default;
    virtual std::optional<FolderItem> showSaveFileDialog(const QString &filter,
                                                         const QString &proposedName) = 0;
};
