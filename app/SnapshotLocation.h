#pragma once
// Where the camera panes put their snapshot folder "Spy".
//
// The program keeps it beside its executable, which suits a build tree or a
// copy unpacked in the user's home. An installed program lives in a folder of
// the system (/usr/libexec/kamseldemo) where users may not write, and every
// surveillance snapshot would fail with an error box; there the snapshots go
// to the user's pictures folder instead, under "KamselDemo/".
//
// Threads: any; reads the file system and the user's folder settings.

#include <QString>

namespace kamsel::app {

class SnapshotLocation {
  public:
    // The folder, ending in '/', under which "Spy/" is made: programFolder
    // itself when this user may create files in it, else the desktop's
    // pictures folder followed by "KamselDemo/"; "" when there is none
    // either (no home folder known), and every snapshot fails with a message.
    static QString AppFolder(const QString& programFolder);
    // The same for the running executable's folder.
    static QString AppFolder();
};

} // namespace kamsel::app
