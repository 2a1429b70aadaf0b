#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What one confined Ghostscript run may touch, as the caller knows it: its
// program, its job's workspace and the files and folders of this job. The
// system paths Ghostscript needs to start are added by each platform's
// sandbox, as they differ between systems.
struct SandboxRules {
    // The only program the child may start (Ghostscript itself).
    QString executable;
    // The only folder it may write: its temporary files and its output.
    QString workspace;
    // Read only: the input and the prolog. Ghostscript is handed links to
    // them inside the workspace; these are the files the links point to.
    QStringList readableFiles;
    // Read only, with everything beneath them.
    QStringList readableFolders;
    // Read only, like readableFolders; folders that do not exist are left
    // out, as a font path names folders of other systems as well.
    QStringList fontFolders;

    // The same grants made on open descriptors, for what lies in a folder
    // others could change: a path is looked up again when the rule is made,
    // and by then it may lead somewhere else; a descriptor holds the very
    // file or folder that was checked. They stay the caller's: the sandbox
    // neither closes them nor hands them to the child. Only Landlock takes
    // them; resolved() and the profile of sandbox-exec go by the paths.
    //
    // An open folder that stands in for workspace (which may then be
    // empty); -1: the workspace is named by its path.
    int workspaceDescriptor = -1;
    // Open regular files, each readable on its own: a rule on a file grants
    // nothing in its folder.
    QList<int> readableDescriptors;

    // The same rules with every path made absolute and free of symbolic
    // links, which is how both Landlock and sandbox-exec compare paths.
    // A path that does not exist becomes empty (executable, workspace) or
    // is left out (the lists). The descriptors are kept as they are.
    SandboxRules resolved() const;

    // False for a program that is a script (it starts with "#!"): confining
    // it would mean letting its interpreter, a shell, run too. A compiled
    // program, or one that cannot be read, counts as confinable.
    static bool isConfinable(const QString &program);

    // The folders of a Ghostscript font path ("a:b:c").
    static QStringList foldersOfFontPath(const QString &fontPath);
};
