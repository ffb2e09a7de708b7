@echo off
rem Removes the token relay add-in from the current user's remote-desktop
rem client. Removing an add-in that is not registered is not an error.
reg query "HKCU\Software\Microsoft\Terminal Server Client\Default\AddIns\QuillRelay" >nul 2>&1
if errorlevel 1 (
  echo not registered
  exit /b 0
)
reg delete "HKCU\Software\Microsoft\Terminal Server Client\Default\AddIns\QuillRelay" /f >nul
if errorlevel 1 (
  echo could not remove the AddIns key 1>&2
  exit /b 1
)
echo unregistered
exit /b 0
