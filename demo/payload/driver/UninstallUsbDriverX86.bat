@echo off
rem Removing the USB touch driver (x86); the driver files are placeholders for now.
echo Removing USB driver from %~dp0USB\x86
exit /b 0
