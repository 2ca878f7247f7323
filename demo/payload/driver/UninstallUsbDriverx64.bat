@echo off
rem Removing the USB touch driver (x64); the driver files are placeholders for now.
echo Removing USB driver from %~dp0USB\amd64
exit /b 0
