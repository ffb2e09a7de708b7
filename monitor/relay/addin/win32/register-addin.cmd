@echo off
rem Registers the token relay add-in with the remote-desktop client of the
rem current user (mstsc.exe reads it at its next start).
rem   register-addin.cmd [DLL]
rem DLL defaults to quill-relay-addin.dll beside this script. Use the DLL
rem built for the client's bitness (64-bit Windows runs a 64-bit mstsc.exe).
setlocal
set "dll=%~1"
if "%dll%"=="" set "dll=%~dp0quill-relay-addin.dll"
for %%I in ("%dll%") do set "dll=%%~fI"
if not exist "%dll%" (
  echo missing: %dll% 1>&2
  exit /b 2
)
reg add "HKCU\Software\Microsoft\Terminal Server Client\Default\AddIns\QuillRelay" /v Name /t REG_SZ /d "%dll%" /f >nul
if errorlevel 1 (
  echo could not write the AddIns key 1>&2
  exit /b 1
)
echo registered: %dll%
exit /b 0
