@echo off
rem A user's script: cleans quietly with dustrel from the PATH, then acts on
rem ERRORLEVEL. The arguments go to dustrel after /y /q.
dustrel /y /q %*
if errorlevel 1 goto failed
echo cleaned
exit /b 0

:failed
set code=%ERRORLEVEL%
echo failed with %code%
exit /b %code%
