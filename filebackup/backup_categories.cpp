#include "filebackup/backup_categories.h"

namespace qnb {

const std::array<BackupCategory, 4>& BackupCategories() {
    static const std::array<BackupCategory, 4> categories = {{
        {"check_picture", "照片", ".jpg|.png|.bmp|.gif|.tif|.psd|.dng|.cr2|.nef|.crw|.arw|"},
        {"check_music", "音乐", ".mp3|.wav|.wma|"},
        {"check_document", "文档", ".txt|.doc|.docx|.wps|.xls|.xlsx|.ppt|.pptx|.md|.pdf|"},
        {"check_video", "视频", ".wmv|.rmvb|.mov|.mp4|.avi|.mkv|.flv|.rm|"},
    }};
    return categories;
}

}  // namespace qnb
