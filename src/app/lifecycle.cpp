#include "app/lifecycle.hpp"

#include <QScreen>
#include <QWidget>

#include "sites/catalogue.hpp"
#include "text/codepage.hpp"
#include "web/address.hpp"

namespace orvu::app {

Text disclaimer_text(const Text& chat_group_number, const Text& home_page_address) {
    const Text line_break = "\r\n"_t;
    const Text lines[] = {
        gbk_literal(u8"声明:"),
        gbk_literal(u8"本软件只是对接网络资源，本软件不保存任何小说，"
                    u8"请用户下载完小说24小时内彻底删除下载文件"),
        Text(),
        gbk_literal(u8"小说交流群：") + chat_group_number,
        Text(),
        gbk_literal(u8"作者:Marel"),
        Text(),
        gbk_literal(u8"官网:") + url_host(home_page_address),
    };
    Text text;
    for (const Text& line : lines) {
        if (&line != &lines[0]) text += line_break;
        text += line;
    }
    return text;
}

Text disclaimer_text() {
    return disclaimer_text(chat_group_number(), home_page_address());
}

void fix_outer_size(QWidget& window, QSize outer, QSize least_client) {
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    window.setFixedSize((outer - frame).expandedTo(least_client));
}

void centre_on_screen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace orvu::app
