@echo off
rem Installing the USB touch driver (x64); the driver files are placeholders for now.
echo Installing USB driver from %~dp0USB\amd64
exit /b 0
