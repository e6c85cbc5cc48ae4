#!/usr/bin/env bash
# Fixture set-up: target folders with a planted link below them, made fresh before each run.
# Wine shows a Unix symbolic link as a folder (and as a reparse point by path, not by handle):
# the closest this harness can come to a junction, which Wine cannot create (FSCTL_SET_REPARSE_POINT
# answers 50, CreateSymbolicLinkW reports success and creates nothing).
#   plant-links.sh <folder>
#   <folder>/system/          stands for a system folder: must stay empty
#   <folder>/maps-target/maps -> ../system
#   <folder>/backup-target/Uninstall_Drivona2 Ostrauwen V1.2 -> ../system
#   <folder>/un-target/elsewhere -> ../outside   (named by the test's journal)
set -euo pipefail
root="$1"
rm -rf "$root"
mkdir -p "$root/system" "$root/maps-target" "$root/backup-target" "$root/un-target" "$root/outside"
ln -s ../system "$root/maps-target/maps"
ln -s ../system "$root/backup-target/Uninstall_Drivona2 Ostrauwen V1.2"
ln -s ../outside "$root/un-target/elsewhere"
