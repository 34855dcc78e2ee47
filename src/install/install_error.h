#pragma once
// Why an install run failed; the error page shows the code's text (see
// InstallErrorTextIds). Codes 4 to 13 are never set.
enum InstallError : int {
    kInstallSuccess = 0,
    kInstallErrorCommon = 1,            // empty manifest path, unexpected exception
    kInstallErrorManifestDownload = 2,  // neither manifest server answered
    kInstallErrorManifestParse = 3,     // manifest is not XML or holds a number without digits
    kInstallErrorPackageExit = 14,      // a package ended with a code other than 0 and 1000
    kInstallErrorNoSetupkit = 15,       // a package left no installer tool
    kInstallErrorSetupkitExit = 16,     // the installer tool ended with a code other than 0
    kInstallErrorRegistry = 17,         // a registry key could not be opened or created
    kInstallErrorTempFile = 18,         // no temporary file for the manifest
    kInstallErrorDeleteSetup = 19,      // an old extraction folder could not be deleted
    kInstallErrorDigest = 20,           // a downloaded package failed its MD5 check
    kInstallErrorDownload = 21,         // a package download failed
};

// installState values.
enum InstallStateValue : int {
    kInstallStateIdle = 0,
    kInstallStateDownloading = 1,
    kInstallStateInstalling = 2,
    kInstallStateFinished = 10,
    kInstallStateFailed = 11,
};
