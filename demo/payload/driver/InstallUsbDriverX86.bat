@echo off
rem Installing the USB touch driver (x86); the driver files are placeholders for now.
echo Installing USB driver from %~dp0USB\x86
exit /b 0
