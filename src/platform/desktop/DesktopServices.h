#pragma once

#include "platform/files/FolderItem.h"

#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

// Opens a web address in the user's default browser.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    virtual void showUrl(const QUrl &url) = 0;
};

// The platform's save dialog. It returns at once; chosen gets the file
// picked, or nothing when the user cancels, later from the event loop and
// never from within this call, so that nothing waits for the answer in a
// loop of its own.
class SaveFileChooser
{
public:
    using Chosen = std::function<void(const std::optional<FolderItem> &file)>;

    virtual ~SaveFileChooser() = default;
    // filter: the dialog's name filters (empty: every file); proposedName:
    // the file offered, a bare name in the user's documents folder.
    virtual void saveFileDialog(const QString &filter, const QString &proposedName,
                                Chosen chosen) = 0;
};

// The platform's dialog for opening files, several at a time. It returns at
// once; chosen gets the files picked (absolute paths), or an empty list when
// the user cancels, later from the event loop and never from within this
// call, so that nothing waits for the answer in a loop of its own.
class OpenFilesChooser
{
public:
    using Chosen = std::function<void(const QStringList &paths)>;

    virtual ~OpenFilesChooser() = default;
    // folder: where the dialog starts; filters: its name filters, in the
    // order offered, the first one in force.
    virtual void openFilesDialog(const QString &folder, const QStringList &filters,
                                 Chosen chosen) = 0;
};

// The platform's dialog for choosing one folder. It returns at once; chosen
// gets the folder picked (an absolute path), or the empty text when the user
// cancels, later from the event loop and never from within this call.
class FolderChooser
{
public:
    using Chosen = std::function<void(const QString &folder)>;

    virtual ~FolderChooser() = default;
    // title: the dialog's title; folder: where it starts.
    virtual void chooseFolderDialog(const QString &title, const QString &folder, Chosen chosen) = 0;
};
