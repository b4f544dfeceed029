#pragma once
// The data-file administration's menu commands (backup and restore, year files, carry-over,
// business months): the program installs their dialogs on the application at start-up.
class CSmApp;

void SmInstallAdminCommands(CSmApp& app);
