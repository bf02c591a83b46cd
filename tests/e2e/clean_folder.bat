@echo off
rem The nightly script of README.txt: 0, and 32 (a file in use at the top
rem level), are done; anything else, "nothing ran" included, is a failure
rem to look at. The arguments go to dustrel from the PATH after /y /q.
dustrel /y /q %*
if %ERRORLEVEL% EQU 0 exit /b 0
if %ERRORLEVEL% EQU 32 exit /b 0
echo Dustrel failed with %ERRORLEVEL%
exit /b %ERRORLEVEL%
