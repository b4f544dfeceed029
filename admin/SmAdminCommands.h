#pragma once
// The data-file administration's menu commands (backup and restore, year files, carry-over,
// business months), and the backup archive others use: the program installs them on the
// application at start-up.
class CSmApp;

void SmInstallAdminCommands(CSmApp& app);
