// The sample catalogue of the demo sites: five classics and the book that the
// default keyword finds, each with a short retelling instead of the whole text.
// Ids are large and varied, as on a real site, so that the "id % 100" folder
// of resource site 3 differs from the id.

#include <string_view>

#include "demo/demo_sites.hpp"

namespace orvu::demo {

namespace {

std::string utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

// A text file as such sites offer them: the title, the author, then paragraphs
// indented with two ideographic spaces, with Windows line breaks.
std::string text_file(std::u8string_view title, std::u8string_view author,
                      std::initializer_list<std::u8string_view> paragraphs) {
    std::string text = utf8(u8"《") + utf8(title) + utf8(u8"》\r\n") + utf8(u8"作者：") +
                       utf8(author) + "\r\n\r\n";
    for (std::u8string_view paragraph : paragraphs)
        text += utf8(u8"　　") + utf8(paragraph) + "\r\n\r\n";
    return text;
}

DemoBook book(int id, std::u8string_view title, std::u8string_view author,
              std::u8string_view category, std::initializer_list<std::u8string_view> paragraphs) {
    return {id, utf8(title), utf8(author), utf8(category), text_file(title, author, paragraphs)};
}

std::vector<DemoBook> make_books() {
    std::vector<DemoBook> books;
    books.push_back(
        book(1201, u8"西游记", u8"吴承恩", u8"古典",
             {
                 u8"东胜神洲的海边有一座花果山，山顶的一块仙石受了千万年的日月精华，"
                 u8"一天忽然迸裂，跳出一只石猴。石猴领着群猴钻进瀑布，找到了水帘洞，"
                 u8"被众猴拜为美猴王。",
                 u8"美猴王想到自己终有一死，便独自漂洋过海去寻访神仙。菩提祖师收他为徒，"
                 u8"给他取名孙悟空，传他七十二般变化和一个筋斗十万八千里的本事。",
                 u8"悟空回山后大闹天宫，天兵天将都拿他没有办法，最后被如来佛祖压在五行山下。"
                 u8"五百年后，唐僧奉旨西行取经，揭去山顶的封条，救出了他。",
                 u8"师徒一路收了猪八戒、沙和尚和白龙马，过火焰山，斗白骨精，"
                 u8"经历九九八十一难，终于到达灵山，取回真经。",
             }));
    books.push_back(
        book(1302, u8"红楼梦", u8"曹雪芹", u8"古典",
             {
                 u8"京城的贾家是赫赫有名的大族，荣国府和宁国府比邻而居，府里上下几百口人，"
                 u8"吃穿用度极尽讲究。",
                 u8"林黛玉自小没了母亲，被外祖母接进荣国府。她和表哥贾宝玉初次见面，"
                 u8"都觉得对方似曾相识，从此常在一处读书写诗，说些别人不懂的话。",
                 u8"薛宝钗随母亲进京，也在府中住下。她稳重大方，处处周全，"
                 u8"很得长辈们的欢心。三人之间的心事，成了大观园里说不尽的话题。",
                 u8"好景不长，贾家一步步走向衰败，园中的姐妹们也各自散去。"
                 u8"作者借一个家族的起落，写出了世间的悲欢离合。",
             }));
    books.push_back(book(1403, u8"水浒传", u8"施耐庵", u8"古典",
                         {
                             u8"北宋末年，朝中奸臣弄权，地方官吏欺压百姓，不少好汉被逼得无路可走。",
                             u8"林冲原是八十万禁军教头，只因妻子被高太尉的义子看上，遭人设计陷害，"
                             u8"发配沧州。一个大雪之夜，他在山神庙前手刃仇人，连夜投奔梁山。",
                             u8"武松路过景阳冈，一连喝了十八碗酒，不听店家劝阻，独自上冈，"
                             u8"赤手空拳打死了一只吊睛白额虎，从此名扬四方。",
                             u8"宋江为人仗义，江湖上称他及时雨。好汉们陆续聚到梁山泊，"
                             u8"排定了一百单八将的座次。后来众人接受招安，四处征战，结局令人感慨。",
                         }));
    books.push_back(
        book(1504, u8"三国演义", u8"罗贯中", u8"古典",
             {
                 u8"东汉末年，天下大乱，群雄并起。刘备、关羽、张飞在桃园结为兄弟，"
                 u8"立誓同心协力，救困扶危。",
                 u8"曹操把皇帝握在手中，号令四方，渐渐平定了北方；孙权守着江东，"
                 u8"兵精粮足；刘备三次登门，才请得诸葛亮出山相助。",
                 u8"赤壁之战中，孙刘两家结成同盟，借着东风用火攻大破曹军的战船，"
                 u8"从此天下分成了三份。",
                 u8"魏、蜀、吴三国相争几十年，英雄人物一个接一个登场，又一个接一个离去，"
                 u8"最后三国都归了晋朝，天下重新合而为一。",
             }));
    books.push_back(
        book(2605, u8"聊斋志异", u8"蒲松龄", u8"志怪",
             {
                 u8"这是一部短篇故事集，讲的多是狐仙、鬼魅和书生之间的奇事，"
                 u8"据说作者常在路边请过路人讲故事，回家后一一记下。",
                 u8"有个书生在路上遇见一位美貌女子，把她带回家中。后来他从窗缝里偷看，"
                 u8"竟见一个青面恶鬼铺开一张人皮，正拿着彩笔细细描画。多亏一位道士相救，"
                 u8"他才保住了性命。",
                 u8"又有一个人上山拜师学仙，却吃不了砍柴的苦。道士教他穿墙的法术，"
                 u8"叮嘱他心要诚。他回家向妻子夸口，一头向墙撞去，只撞出额上一个大包。",
                 u8"作者借这些故事嘲讽世上的贪心和虚伪，也称赞真情和善良。",
             }));
    books.push_back(
        book(38117, u8"帝霸", u8"石砚生", u8"玄幻",
             {
                 u8"陆沉是青云宗的杂役弟子，灵根残缺，修行多年仍旧进不了内门，"
                 u8"每天只能挑水劈柴，受尽白眼。",
                 u8"一个雷雨之夜，他在后山的古井里捞起一面残破的铜镜。镜中传出一个苍老的声音，"
                 u8"自称是万年前统御诸天的帝君，如今只剩一缕残魂。",
                 u8"在帝君的指点下，陆沉不走寻常的修行之路，一个月内连破三重境界。"
                 u8"宗门大比那天，他以杂役的身份击败了内门首席，满场哗然。",
                 u8"可是铜镜的来历牵动了上古的恩怨，强敌一个接一个找上门来。"
                 u8"陆沉握紧拳头：既然天道不公，那就由我亲手重定乾坤。",
             }));
    return books;
}

}  // namespace

const std::vector<DemoBook>& demo_books() {
    static const std::vector<DemoBook> books = make_books();
    return books;
}

}  // namespace orvu::demo
