#include "app/dir_compare_dlg.h"

void CDirCompareDlg::CopySelectedFiles() {}
