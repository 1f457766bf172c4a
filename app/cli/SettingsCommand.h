#pragma once

#include <QStringList>

// `kestrova settings`: lists, reads and changes the user's settings and drive mappings,
// for scripts and administrators; needs no display. Every change is saved and
// announced at once, so a running Kestrova sees it.
//   kestrova settings                     every key with its value, defaults marked
//   kestrova settings get KEY             the value alone
//   kestrova settings set KEY VALUE       booleans true/false, mountMethod smb/afp/nfs/cifs
//   kestrova settings map FROM SHARE      maps a drive letter, replacing its old share
//   kestrova settings unmap FROM          removes the mappings of a drive letter
int runSettingsCommand(const QStringList& arguments);
