// The one place that holds the product's name and version.
#pragma once

#define DUSTREL_NAME "Dustrel"
#define DUSTREL_VERSION "1.20"
#define DUSTREL_VERSION_MAJOR 1
#define DUSTREL_VERSION_MINOR 20
