// The main window's control identifiers and commands, shared by the window and the subsystems
// whose controls and menus it holds.
#pragma once

namespace corvana {

// Control identifiers (also how another process or a test finds a control).
enum ControlId : int {
    IDC_ToolBar = 100,
    IDC_FileList,
    IDC_FormatLabel,
    IDC_FormatBox,
    IDC_AudioSettingsButton,
    IDC_NormalizeCheck,
    IDC_TargetFolderLabel,
    IDC_UseSourceFolderCheck,
    IDC_TargetFolderEdit,
    IDC_TargetFolderButton,
    IDC_ConvertButton,
    IDC_StatusBar,
    IDC_ProgressBar,
    IDC_Splitter,
};

// Menu and tool-button commands.
enum CommandId : int {
    CMD_Clear = 1000,
    CMD_AddFiles,
    CMD_AddFolder,
    CMD_Exit,
    CMD_ShowErrorDetails,
    CMD_ResetToDefaults,
    CMD_OnlineHelp,
    CMD_UpdateNotifications,
    CMD_SendFeedback,
    CMD_About,
    CMD_Open,
    CMD_ShowFileInExplorer,
    CMD_RemoveFromList,
    CMD_SendToRecycleBin,
    CMD_SelectAll,
    CMD_Properties,
    CMD_ChangeTargetFolder,
    CMD_ShowTargetFolder,
    CMD_AudioSettings,
    CMD_RememberAudioSettings,
    CMD_ToolAddFiles,
    CMD_ToolAddFolder,
    CMD_ToolFeedback,
    CMD_ToolAbout,
    CMD_ToolHelp,
    CMD_KeepFolderStructure,
    CMD_SkipConvertedFiles,
    // "Simultaneous Conversions": "Automatic", then one item per number of jobs.
    CMD_SimultaneousAutomatic = 1100,
    CMD_SimultaneousFirst,  // one item per choice of the conversion engine, in its order
    CMD_SimultaneousLast = CMD_SimultaneousFirst + 7,
};

}  // namespace corvana
