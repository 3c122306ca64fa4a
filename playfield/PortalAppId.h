#pragma once

#include <QByteArray>
#include <QString>

// How the desktop portal tells an unsandboxed program's id: from the systemd user unit the program
// runs in, named as desktop launchers name an application's unit,
// app[-<launcher>]-<id>[-<random>].scope (or .service, .slice). A program in no such unit gets
// the empty id, which stands for every unsandboxed program whose id the portal cannot tell.

// The systemd user unit a process runs in, from the text of its /proc/<pid>/cgroup: the first
// unit below the user's manager that is not a slice; empty outside a user manager.
QString userUnitFromCgroup(const QByteArray& cgroup);
// The id the portal reads from such a unit's name; empty for any other name.
QString portalAppIdFromUnit(const QString& unit);
// The game's own /proc/self/cgroup.
QByteArray ownCgroup();
// The id the portal reads from the unit the game runs in now.
QString ownPortalAppId();
