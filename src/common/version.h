// The one place that holds the product's name, version and makers. The
// usage screen, the version resource (dustrel.rc) and the build (which reads
// DUSTREL_VERSION for the project and package version) take them from here,
// so this file stays plain enough for the resource compiler.
#pragma once

#define DUSTREL_NAME "Dustrel"
#define DUSTREL_VERSION "1.40"
#define DUSTREL_VERSION_MAJOR 1
#define DUSTREL_VERSION_MINOR 40
#define DUSTREL_DESCRIPTION "Dustrel - deletes temporary files"
#define DUSTREL_COMPANY "The Dustrel developers"
#define DUSTREL_COPYRIGHT "Copyright (c) 2026 The Dustrel developers"
#define DUSTREL_FILE_NAME "dustrel.exe"
