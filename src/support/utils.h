#pragma once
// The file and system utilities in one include.
#include "support/drive_utils.h"
#include "support/file_md5.h"
#include "support/file_utils.h"
#include "support/md5.h"
#include "support/process_utils.h"
#include "support/version_utils.h"
