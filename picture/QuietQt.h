// Qt warns on every start without XDG_RUNTIME_DIR (as under cron or a service) and then
// uses a folder of its own: nothing a user of the command line can or need act on. The
// programs without a window drop that warning and pass every other message on.
#pragma once

void DropRuntimeFolderWarning();
