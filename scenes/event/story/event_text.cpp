// The story's dialogue, one screen line each (at most 44 bytes in CP932). The comment
// before each event's lines names the scene; the speaker of a line is set by its script.
#include "scenes/event/story/story.h"

const std::array<EventTextLine, kEventTextLineCount> kEventTextLines = {
    // event 0
    EventTextLine(u8"おお、来たか。朝早くからすまんのう。"),      // 0 Professor
    EventTextLine(u8"実はな、昨夜ミドリ谷の風車小屋が"),          // 1 Professor
    EventTextLine(u8"何者かに襲われたのじゃ。"),                  // 2 Professor
    EventTextLine(u8"風車小屋が？"),                              // 3 Kai
    EventTextLine(u8"まさか、また空賊ですか。"),                  // 4 Kai
    EventTextLine(u8"うむ。グリム空賊団じゃ。"),                  // 5 Professor
    EventTextLine(u8"谷の動力石が根こそぎ持っていかれた。"),      // 6 Professor
    EventTextLine(u8"ひどい……。あそこの石がないと、"),            // 7 Mira
    EventTextLine(u8"谷の水くみも粉ひきも止まっちゃうよ。"),      // 8 Mira
    EventTextLine(u8"じゃが、奴らの狙いは動力石ではない。"),      // 9 Professor
    EventTextLine(u8"石を集めて、何かを探しておるようじゃ。"),    // 10 Professor
    EventTextLine(u8"何かって、なんです？"),                      // 11 Kai
    EventTextLine(u8"……クオールじゃよ。"),                        // 12 Professor
    EventTextLine(u8"空の城の、伝説の石じゃ。"),                  // 13 Professor
    EventTextLine(u8"古代の空の民が遺した、心臓の石。"),          // 14 Professor
    EventTextLine(u8"空の果ての遺跡に眠ると伝えられておる。"),    // 15 Professor
    EventTextLine(u8"それって、おとぎ話じゃなかったの？"),        // 16 Mira
    EventTextLine(u8"わしも、そう思っておったんじゃがな。"),      // 17 Professor
    EventTextLine(u8"近ごろ、各地で古い石碑が光りだしての。"),    // 18 Professor
    EventTextLine(u8"どうも、ただの昔話ではなさそうなのじゃ。"),  // 19 Professor
    EventTextLine(u8"博士、俺に行かせてください。"),              // 20 Kai
    EventTextLine(u8"谷の石は、必ず取り返してみせます。"),        // 21 Kai
    EventTextLine(u8"そう言うと思っておったわい。"),              // 22 Professor
    EventTextLine(u8"機体の整備は済んでおる。頼んだぞ。"),        // 23 Professor
    EventTextLine(u8"私も行く。"),                                // 24 Mira
    EventTextLine(u8"カイ一人じゃ、危なっかしくて心配だもん。"),  // 25 Mira
    EventTextLine(u8"いらっしゃい！"),                            // 26 Shopkeeper
    EventTextLine(u8"おや、カイとミラじゃないか。"),              // 27 Shopkeeper
    EventTextLine(u8"博士から聞いたよ。飛ぶんだってね。"),        // 28 Shopkeeper
    EventTextLine(u8"ああ。谷の石を取り返してくる。"),            // 29 Kai
    EventTextLine(u8"みんな、困ってるからな。"),                  // 30 Kai
    EventTextLine(u8"気をつけな。空賊の機体は数が多いぞ。"),      // 31 Shopkeeper
    EventTextLine(u8"囲まれたら、すぐに宙返りで抜けるんだ。"),    // 32 Shopkeeper
    EventTextLine(u8"帰ったら、うちの店にも寄っておくれ。"),      // 33 Shopkeeper
    EventTextLine(u8"いい部品を仕入れておくからさ。"),            // 34 Shopkeeper
    EventTextLine(u8"ちゃっかりしてるなあ、ヴェルドさん。"),      // 35 Mira
    EventTextLine(u8"二人とも、聞こえるか。"),                    // 36 Professor
    EventTextLine(u8"谷の上空に敵影多数じゃ。"),                  // 37 Professor
    EventTextLine(u8"まずは小型機を落として道を開くのじゃ。"),    // 38 Professor
    EventTextLine(u8"了解、博士。見えてきた！"),                  // 39 Kai
    EventTextLine(u8"カイ、無茶はしないでよね。"),                // 40 Mira
    EventTextLine(u8"わかってるって。"),                          // 41 Kai
    EventTextLine(u8"行くぞ、ミラ！"),                            // 42 Kai
    // event 1
    EventTextLine(u8"谷の空賊は片づいたね。"),              // 43 Mira
    EventTextLine(u8"逃げた連中は海のほうへ向かってる。"),  // 44 Kai
    EventTextLine(u8"大きな影が、水平線に見えるぞ。"),      // 45 Kai
    EventTextLine(u8"ミラ、追いかけるぞ！"),                // 46 Kai
    EventTextLine(u8"言われなくても！"),                    // 47 Mira
    // event 2
    EventTextLine(u8"なんだ、あの大きさは……！"),                  // 48 Kai
    EventTextLine(u8"空に浮かぶ、戦艦……！？"),                    // 49 Kai
    EventTextLine(u8"あら、威勢のいい坊やたちね。"),              // 50 Grim
    EventTextLine(u8"わたくしはグリム。この空の新しい女王よ。"),  // 51 Grim
    EventTextLine(u8"戦艦グランベルクの砲火、受けてごらん！"),    // 52 Grim
    EventTextLine(u8"空はお前のものじゃない！"),                  // 53 Kai
    // event 3
    EventTextLine(u8"いやあ、あの戦艦を落とすとはね！"),      // 54 Shopkeeper
    EventTextLine(u8"町じゅう、その話でもちきりだよ。"),      // 55 Shopkeeper
    EventTextLine(u8"へへ、私たちにかかればこんなものよ。"),  // 56 Mira
    EventTextLine(u8"ね、カイ……って、もう寝てるし。"),        // 57 Mira
    EventTextLine(u8"……浮かれていられるのも今のうちだ。"),    // 58 Zeno
    EventTextLine(u8"だ、誰？"),                              // 59 Mira
    EventTextLine(u8"ゼノ。ただの流れの飛行機乗りさ。"),      // 60 Zeno
    EventTextLine(u8"あの戦艦を落としたのは、見事だった。"),  // 61 Zeno
    EventTextLine(u8"だが、この先はお遊びではすまない。"),    // 62 Zeno
    EventTextLine(u8"クオールは俺が先にいただく。"),          // 63 Zeno
    EventTextLine(u8"邪魔をするなら、お前たちも落とす。"),    // 64 Zeno
    EventTextLine(u8"……何なの、あの人。"),                    // 65 Mira
    EventTextLine(u8"カイ、起きて！　カイってば！"),          // 66 Mira
    // event 4
    EventTextLine(u8"よう、お前らが噂の二人組か！"),          // 67 Gant
    EventTextLine(u8"えっと……どちら様？"),                    // 68 Kai
    EventTextLine(u8"ガントだ。峡谷の向こうの運び屋さ。"),    // 69 Gant
    EventTextLine(u8"荷物なら何でも、どこへでも運ぶぜ。"),    // 70 Gant
    EventTextLine(u8"空賊に船をやられちまってな。"),          // 71 Gant
    EventTextLine(u8"仕返しがしたい。俺も連れていけ！"),      // 72 Gant
    EventTextLine(u8"気持ちはわかるけど……"),                  // 73 Mira
    EventTextLine(u8"腕は確かなの？"),                        // 74 Mira
    EventTextLine(u8"昨日、峡谷の岩の間を抜けてきた機体、"),  // 75 Gant
    EventTextLine(u8"見なかったか？"),                        // 76 Gant
    EventTextLine(u8"……あの赤い機体、あんただったのか。"),    // 77 Kai
    EventTextLine(u8"そういうこった。よろしくな、相棒！"),    // 78 Gant
    EventTextLine(u8"にぎやかになってきたねえ。"),            // 79 Shopkeeper
    EventTextLine(u8"ほら、お近づきのしるしに一杯どうぞ。"),  // 80 Shopkeeper
    EventTextLine(u8"例の戦艦の残骸から、これが出てきた。"),  // 81 Professor
    EventTextLine(u8"古い地図……ですか？"),                    // 82 Kai
    EventTextLine(u8"空の民の遺跡への道しるべじゃ。"),        // 83 Professor
    EventTextLine(u8"印は七つ。グリムはこれを辿っておる。"),  // 84 Professor
    EventTextLine(u8"じゃあ、先回りすればいいんだ！"),        // 85 Mira
    EventTextLine(u8"うむ。次の印は、森の川の上流じゃな。"),  // 86 Professor
    EventTextLine(u8"峡谷を越えた先じゃ。"),                  // 87 Professor
    EventTextLine(u8"森なら庭みたいなもんだ。任せとけ。"),    // 88 Gant
    EventTextLine(u8"川の曲がり方まで全部覚えてるぜ。"),      // 89 Gant
    EventTextLine(u8"ゼノという若者のことも気になる。"),      // 90 Professor
    EventTextLine(u8"あの黒い機体、ただ者ではないぞ。"),      // 91 Professor
    EventTextLine(u8"あいつも遺跡を目指してるんですよね。"),  // 92 Kai
    EventTextLine(u8"うむ。目的はわからんがのう。"),          // 93 Professor
    EventTextLine(u8"敵か味方か、よく見極めることじゃ。"),    // 94 Professor
    EventTextLine(u8"森の上空、敵の偵察機がおるぞ。"),        // 95 Professor
    EventTextLine(u8"見えてる見えてる。先に行くぜ！"),        // 96 Gant
    EventTextLine(u8"ちょっと、足並みそろえてよ！"),          // 97 Mira
    EventTextLine(u8"三人とも、無事に帰ってくるんじゃぞ。"),  // 98 Professor
    EventTextLine(u8"はーい！"),                              // 99 Mira
    EventTextLine(u8"おみやげ、期待しててね！"),              // 100 Mira
    // event 5
    EventTextLine(u8"海が真っ赤……きれい。"),                  // 101 Mira
    EventTextLine(u8"また会ったな。"),                        // 102 Zeno
    EventTextLine(u8"言ったはずだ、邪魔をするなと。"),        // 103 Zeno
    EventTextLine(u8"空賊の仲間だったの！？"),                // 104 Mira
    EventTextLine(u8"勘違いするな。俺は誰の味方でもない。"),  // 105 Zeno
    // event 6
    EventTextLine(u8"夕焼けの海での戦い、見事じゃった。"),    // 106 Professor
    EventTextLine(u8"次の印は、古い鉱山の奥を示しておる。"),  // 107 Professor
    EventTextLine(u8"坑道の中を飛ぶの……？"),                  // 108 Mira
    EventTextLine(u8"狭いところは苦手なんだよなあ。"),        // 109 Gant
    EventTextLine(u8"翼をこすったら泣くぞ、俺は。"),          // 110 Gant
    EventTextLine(u8"中は暗い。計器から目を離すでないぞ。"),  // 111 Professor
    EventTextLine(u8"天井の崩れにも気をつけるのじゃ。"),      // 112 Professor
    EventTextLine(u8"グリムの手下もいるんだよね。"),          // 113 Mira
    EventTextLine(u8"よし、一番乗りはもらった！"),            // 114 Gant
    EventTextLine(u8"ちょっと、ガント！"),                    // 115 Mira
    // event 7
    EventTextLine(u8"ふう……やっと外に出られた。"),                // 116 Mira
    EventTextLine(u8"空が広いって、いいね。"),                    // 117 Mira
    EventTextLine(u8"もう坑道はこりごりだぜ。"),                  // 118 Gant
    EventTextLine(u8"見ろ、街の灯りだ。"),                        // 119 Kai
    EventTextLine(u8"もうすっかり夜だな。"),                      // 120 Kai
    EventTextLine(u8"坑道の壁画、見たか？"),                      // 121 Kai
    EventTextLine(u8"空に浮かぶ城の絵だった。"),                  // 122 Kai
    EventTextLine(u8"あれが、伝説の空の城……？"),                  // 123 Mira
    EventTextLine(u8"博士に知らせなきゃ。"),                      // 124 Mira
    EventTextLine(u8"おーっほっほ！"),                            // 125 Grim
    EventTextLine(u8"また会ったわね、坊やたち。"),                // 126 Grim
    EventTextLine(u8"坑道の壁画、見てしまったようね。"),          // 127 Grim
    EventTextLine(u8"知りすぎた子は、お仕置きよ。"),              // 128 Grim
    EventTextLine(u8"グリム！　どこだ！"),                        // 129 Kai
    EventTextLine(u8"この街の空はもうわたくしのもの。"),          // 130 Grim
    EventTextLine(u8"夜の街ごと、焼き払ってあげるわ！"),          // 131 Grim
    EventTextLine(u8"街の人たちを巻き込むつもり！？"),            // 132 Mira
    EventTextLine(u8"勝てばよいのよ、勝てば！"),                  // 133 Grim
    EventTextLine(u8"そうはさせるか！"),                          // 134 Kai
    EventTextLine(u8"……グリム、やりすぎだ。"),                    // 135 Zeno
    EventTextLine(u8"街には手を出さない約束のはずだ。"),          // 136 Zeno
    EventTextLine(u8"ゼノ。雇われの身で口を出すんじゃないの。"),  // 137 Grim
    EventTextLine(u8"契約は終わりだ。"),                          // 138 Zeno
    EventTextLine(u8"俺は、俺のやり方でやらせてもらう。"),        // 139 Zeno
    EventTextLine(u8"ゼノ……？"),                                  // 140 Mira
    EventTextLine(u8"勘違いするな。"),                            // 141 Zeno
    EventTextLine(u8"借りを作りたくないだけだ。"),                // 142 Zeno
    EventTextLine(u8"……あいつ、何を考えてるんだ。"),              // 143 Kai
    EventTextLine(u8"とにかく、街を守るぞ、みんな！"),            // 144 Kai
    EventTextLine(u8"うん！"),                                    // 145 Mira
    // event 8
    EventTextLine(u8"昨夜は街を守ってくれてありがとよ。"),        // 146 Shopkeeper
    EventTextLine(u8"今日は店のおごりだ。たんと食べな！"),        // 147 Shopkeeper
    EventTextLine(u8"うおお、ありがてえ！"),                      // 148 Gant
    EventTextLine(u8"おかわり三杯はいけるぜ！"),                  // 149 Gant
    EventTextLine(u8"ガント、食べすぎ……。"),                      // 150 Mira
    EventTextLine(u8"それ、もう五杯目だよ。"),                    // 151 Mira
    EventTextLine(u8"ヴェルドさん、鉄道平原って知ってる？"),      // 152 Mira
    EventTextLine(u8"ああ、大陸横断鉄道が走る平原さ。"),          // 153 Shopkeeper
    EventTextLine(u8"最近、見たこともない装甲列車が走ってる。"),  // 154 Shopkeeper
    EventTextLine(u8"荷台の中身は動力石だって噂だ。"),            // 155 Shopkeeper
    EventTextLine(u8"奪われた谷の石かもしれない！"),              // 156 Mira
    EventTextLine(u8"列車を見つけたぞ。夕日の方角じゃ。"),        // 157 Professor
    EventTextLine(u8"平原をまっすぐ西へ走っておる。"),            // 158 Professor
    EventTextLine(u8"でけえ……。あれ全部が砲台かよ。"),            // 159 Gant
    EventTextLine(u8"太陽を背にして近づこう。"),                  // 160 Kai
    EventTextLine(u8"狙うのは先頭車両の動力だ。"),                // 161 Kai
    EventTextLine(u8"石は傷つけるでないぞ。"),                    // 162 Professor
    EventTextLine(u8"注文が多いなあ、博士は。"),                  // 163 Gant
    EventTextLine(u8"落とさず止めろってか。"),                    // 164 Gant
    EventTextLine(u8"若いもんは文句を言わずに飛ぶんじゃ。"),      // 165 Professor
    EventTextLine(u8"了解！　行くぞ！"),                          // 166 Kai
    // event 9
    EventTextLine(u8"列車の石は無事に取り返せたぞ。"),        // 167 Professor
    EventTextLine(u8"谷の人たちも大喜びじゃ。"),              // 168 Professor
    EventTextLine(u8"でも、グリムはまだ石を集めてる。"),      // 169 Kai
    EventTextLine(u8"次の印は、古い高速回廊の先じゃ。"),      // 170 Professor
    EventTextLine(u8"空の民が作った、まっすぐな空の道よ。"),  // 171 Professor
    EventTextLine(u8"置いていかれるなよ、みんな！"),          // 172 Kai
    // event 10
    EventTextLine(u8"回廊の先に城壁が見えるはずじゃ。"),    // 173 Professor
    EventTextLine(u8"見えました。門が閉まってます。"),      // 174 Kai
    EventTextLine(u8"ぶち破るしかねえな！"),                // 175 Gant
    EventTextLine(u8"俺の機体の出番だぜ！"),                // 176 Gant
    EventTextLine(u8"待て。門には古代の防衛装置がある。"),  // 177 Professor
    EventTextLine(u8"光る核が門を守っておるのじゃ。"),      // 178 Professor
    EventTextLine(u8"核を全部壊せば開くってことですか。"),  // 179 Kai
    EventTextLine(u8"……その通りだ。"),                      // 180 Zeno
    EventTextLine(u8"核は全部で六つある。"),                // 181 Zeno
    EventTextLine(u8"ゼノ！"),                              // 182 Kai
    EventTextLine(u8"門の向こうは月の火口に通じている。"),  // 183 Zeno
    EventTextLine(u8"グリムはそこで何かを掘り出す気だ。"),  // 184 Zeno
    EventTextLine(u8"どうしてそれを教えてくれるんだ？"),    // 185 Kai
    EventTextLine(u8"……さあな。"),                          // 186 Zeno
    EventTextLine(u8"門の核、俺は左からやる。"),            // 187 Zeno
    EventTextLine(u8"勝手なやつだなあ。"),                  // 188 Gant
    EventTextLine(u8"でも、今は手を組むしかない。"),        // 189 Kai
    // event 11
    EventTextLine(u8"門が開いた……！"),                            // 190 Kai
    EventTextLine(u8"やったね！"),                                // 191 Mira
    EventTextLine(u8"浮かれるな。ここからが本番だ。"),            // 192 Zeno
    EventTextLine(u8"グリムはもう火口に着いている。"),            // 193 Zeno
    EventTextLine(u8"ゼノ、お前はなんでグリムに雇われてた？"),    // 194 Kai
    EventTextLine(u8"……妹がいる。"),                              // 195 Zeno
    EventTextLine(u8"空の病にかかって、ずっと眠ったままだ。"),    // 196 Zeno
    EventTextLine(u8"クオールの力なら治せると聞いた。"),          // 197 Zeno
    EventTextLine(u8"そんな……。"),                                // 198 Mira
    EventTextLine(u8"だから、一人で石を追ってたんだね。"),        // 199 Mira
    EventTextLine(u8"グリムは約束を守る気などなかった。"),        // 200 Zeno
    EventTextLine(u8"だから抜けた。それだけだ。"),                // 201 Zeno
    EventTextLine(u8"だったら、俺たちと一緒に来いよ。"),          // 202 Kai
    EventTextLine(u8"目指す場所は同じだろ。"),                    // 203 Kai
    EventTextLine(u8"……馴れ合うつもりはない。"),                  // 204 Zeno
    EventTextLine(u8"火口で会おう。"),                            // 205 Zeno
    EventTextLine(u8"ねえカイ、少しだけ寄り道しない？"),          // 206 Mira
    EventTextLine(u8"デパートか……。補給のついでだぞ。"),          // 207 Kai
    EventTextLine(u8"見て見て、このお守り、かわいい！"),          // 208 Mira
    EventTextLine(u8"羽の形の、銀の細工だよ。"),                  // 209 Mira
    EventTextLine(u8"空の民の紋章……？"),                          // 210 Kai
    EventTextLine(u8"おや、お目が高い。"),                        // 211 Shopkeeper
    EventTextLine(u8"古い遺跡の模様をまねたものさ。"),            // 212 Shopkeeper
    EventTextLine(u8"月の火口には、銀の巨人が眠るって話だ。"),    // 213 Shopkeeper
    EventTextLine(u8"巨人？　冗談だろ。"),                        // 214 Kai
    EventTextLine(u8"火口の底で、目を覚ますのを待ってるとか。"),  // 215 Shopkeeper
    EventTextLine(u8"……お守り、二つください。"),                  // 216 Mira
    EventTextLine(u8"はい、カイの分。"),                          // 217 Mira
    EventTextLine(u8"……ありがとう、ミラ。"),                      // 218 Kai
    EventTextLine(u8"大事にするよ。"),                            // 219 Kai
    EventTextLine(u8"おーい、俺の分は！？"),                      // 220 Gant
    EventTextLine(u8"ガントは自分で買って。"),                    // 221 Mira
    EventTextLine(u8"さっき、お菓子いっぱい買ってたでしょ。"),    // 222 Mira
    EventTextLine(u8"三人とも、補給は済んだかの？"),              // 223 Professor
    EventTextLine(u8"火口に大きな熱反応じゃ。急ぐのじゃ！"),      // 224 Professor
    EventTextLine(u8"了解！　行こう、みんな！"),                  // 225 Kai
    // event 12
    EventTextLine(u8"号外だよ！"),                                // 226 Shopkeeper
    EventTextLine(u8"銀の巨人が倒されたってさ！"),                // 227 Shopkeeper
    EventTextLine(u8"わあ、私たちのこと載ってる！"),              // 228 Mira
    EventTextLine(u8"『谷の若き翼、巨人を倒す』だって！"),        // 229 Mira
    EventTextLine(u8"見ろよ、俺が一番大きく写ってるぜ。"),        // 230 Gant
    EventTextLine(u8"……それ、ガントの機体の尾翼だけだよ。"),      // 231 Mira
    EventTextLine(u8"町じゃ、すっかり英雄扱いだよ。"),            // 232 Shopkeeper
    EventTextLine(u8"おかげで、うちの店も大繁盛さ。"),            // 233 Shopkeeper
    EventTextLine(u8"皆、ご苦労じゃった。だが悪い知らせじゃ。"),  // 234 Professor
    EventTextLine(u8"グリムが巨人の胸から石を持ち去った。"),      // 235 Professor
    EventTextLine(u8"六つ目の石じゃ。残る印はあと一つ。"),        // 236 Professor
    EventTextLine(u8"六つ目……。"),                                // 237 Kai
    EventTextLine(u8"七つそろったら、どうなるんです？"),          // 238 Kai
    EventTextLine(u8"空の城への道が開く、と地図にはある。"),      // 239 Professor
    EventTextLine(u8"そして城の奥に、クオールが眠る。"),          // 240 Professor
    EventTextLine(u8"空の城……坑道の壁画の！"),                    // 241 Mira
    EventTextLine(u8"やっぱり本当にあるんだ。"),                  // 242 Mira
    EventTextLine(u8"最後の印はどこなんですか。"),                // 243 Kai
    EventTextLine(u8"嵐の海の向こうの、古代遺跡じゃ。"),          // 244 Professor
    EventTextLine(u8"明日の朝、嵐を越えて向かうとしよう。"),      // 245 Professor
    EventTextLine(u8"これは、町の広場にある英雄像じゃ。"),        // 246 Professor
    EventTextLine(u8"昔、空の城の暴走を止めた飛行士じゃよ。"),    // 247 Professor
    EventTextLine(u8"空の城が、暴走……？"),                        // 248 Kai
    EventTextLine(u8"クオールの力は、使う者しだいなのじゃ。"),    // 249 Professor
    EventTextLine(u8"悪しき者が使えば、空そのものが落ちる。"),    // 250 Professor
    EventTextLine(u8"英雄は、命がけでそれを止めたのじゃ。"),      // 251 Professor
    EventTextLine(u8"……グリムには渡せない。"),                    // 252 Kai
    EventTextLine(u8"すごい嵐……前が見えない！"),                  // 253 Mira
    EventTextLine(u8"計器だけが頼りだな。"),                      // 254 Gant
    EventTextLine(u8"はぐれるなよ、二人とも！"),                  // 255 Gant
    EventTextLine(u8"……来たか。"),                                // 256 Zeno
    EventTextLine(u8"この先へは行かせない。"),                    // 257 Zeno
    EventTextLine(u8"ゼノ！　なんでここに。"),                    // 258 Kai
    EventTextLine(u8"火口で別れたきりだったのに。"),              // 259 Kai
    EventTextLine(u8"遺跡へ行くのは俺だ。お前たちは帰れ。"),      // 260 Zeno
    EventTextLine(u8"クオールは妹のために使う。"),                // 261 Zeno
    EventTextLine(u8"悪い奴が使えば、空が落ちるんだぞ！"),        // 262 Kai
    EventTextLine(u8"俺は悪人か？"),                              // 263 Zeno
    EventTextLine(u8"わからない。だから、確かめる！"),            // 264 Kai
    EventTextLine(u8"……いいだろう。"),                            // 265 Zeno
    EventTextLine(u8"俺に勝てたら、話くらいは聞いてやる。"),      // 266 Zeno
    // event 13
    EventTextLine(u8"……俺の負けだ。"),                          // 267 Zeno
    EventTextLine(u8"ゼノ、話してくれ。妹さんのこと。"),        // 268 Kai
    EventTextLine(u8"力になれるかもしれない。"),                // 269 Kai
    EventTextLine(u8"リナは、ずっと夢の中にいる。"),            // 270 Zeno
    EventTextLine(u8"医者も匙を投げた。残るのは伝説だけだ。"),  // 271 Zeno
    EventTextLine(u8"一緒に行こう。遺跡まで。"),                // 272 Kai
    EventTextLine(u8"……勝手にしろ。"),                          // 273 Zeno
    EventTextLine(u8"こんな夜更けにどうしたんだい。"),          // 274 Shopkeeper
    EventTextLine(u8"店はもう閉めるところだよ。"),              // 275 Shopkeeper
    EventTextLine(u8"遺跡へ行く前に、寄りたくなって。"),        // 276 Kai
    EventTextLine(u8"……いい顔になったね、カイ。"),              // 277 Shopkeeper
    EventTextLine(u8"帰ったら、とびきりの品を用意しとくよ。"),  // 278 Shopkeeper
    // event 14
    EventTextLine(u8"遺跡の中心に、強い反応がある。"),          // 279 Professor
    EventTextLine(u8"七つ目の石じゃ。グリムの船も来ておる。"),  // 280 Professor
    EventTextLine(u8"遅かったわね、坊やたち！"),                // 281 Grim
    EventTextLine(u8"遺跡の守り神、金の巨人を起こしたわ！"),    // 282 Grim
    EventTextLine(u8"グリム……！"),                              // 283 Zeno
    EventTextLine(u8"裏切り者のゼノ。まとめて潰してあげる！"),  // 284 Grim
    EventTextLine(u8"大きい……銀の巨人よりずっと！"),            // 285 Mira
    EventTextLine(u8"でかけりゃいいってもんじゃねえ！"),        // 286 Gant
    EventTextLine(u8"まとめてかかるぞ、みんな！"),              // 287 Gant
    EventTextLine(u8"……遅れるなよ。"),                          // 288 Zeno
    // event 15
    EventTextLine(u8"星がきれいだね、カイ。"),                  // 289 Mira
    EventTextLine(u8"ああ。空の上で見る星は格別だな。"),        // 290 Kai
    EventTextLine(u8"ねえ、全部終わったらどうする？"),          // 291 Mira
    EventTextLine(u8"そうだなあ……。博士の工房を継ぐかな。"),    // 292 Kai
    EventTextLine(u8"新しい機体を、自分の手で作りたいんだ。"),  // 293 Kai
    EventTextLine(u8"私はね、谷に小さな飛行場を作りたいの。"),  // 294 Mira
    EventTextLine(u8"いいな、それ。"),                          // 295 Kai
    EventTextLine(u8"おーい、夜食できたぞー！"),                // 296 Gant
    EventTextLine(u8"ガント、また食べるの！？"),                // 297 Mira
    EventTextLine(u8"腹が減っては飛べねえってな！"),            // 298 Gant
    EventTextLine(u8"……騒がしい連中だ。"),                      // 299 Zeno
    EventTextLine(u8"ゼノもこっち来いよ。"),                    // 300 Kai
    EventTextLine(u8"……少しだけだ。"),                          // 301 Zeno
    // event 16
    EventTextLine(u8"七つの石が、グリムの手にそろった。"),    // 302 Professor
    EventTextLine(u8"空の城への道が開いてしまったのじゃ。"),  // 303 Professor
    EventTextLine(u8"城はこの町の真上、雲の上におる。"),      // 304 Professor
    EventTextLine(u8"雲の上に、道が見える……！"),              // 305 Mira
    EventTextLine(u8"光の帯が、ずっと上まで続いてる。"),      // 306 Mira
    EventTextLine(u8"あれが空の城への道だ。"),                // 307 Kai
    EventTextLine(u8"行こう。これで最後にする！"),            // 308 Kai
    // event 17
    EventTextLine(u8"雲の上に遺跡が浮かんでる……。"),          // 309 Gant
    EventTextLine(u8"しかも、でっけえ……。"),                  // 310 Gant
    EventTextLine(u8"本当にあったんだ、空の城。"),            // 311 Mira
    EventTextLine(u8"聞こえるか、皆。通信が乱れておる。"),    // 312 Professor
    EventTextLine(u8"城の中は、水晶が力をため込んでおる。"),  // 313 Professor
    EventTextLine(u8"博士、水晶の間に何かいます！"),          // 314 Kai
    EventTextLine(u8"城の番人じゃろう。気をつけ……"),          // 315 Professor
    EventTextLine(u8"博士！？　通信が切れた！"),              // 316 Kai
    EventTextLine(u8"ここから先は、俺たちだけってことか。"),  // 317 Gant
    EventTextLine(u8"……上等じゃねえか。"),                    // 318 Gant
    EventTextLine(u8"怖気づいたか？"),                        // 319 Zeno
    EventTextLine(u8"冗談言うな。わくわくしてきたぜ。"),      // 320 Gant
    EventTextLine(u8"お守り、ちゃんと持ってるよ。"),          // 321 Mira
    EventTextLine(u8"……俺もだ。"),                            // 322 Kai
    // event 18
    EventTextLine(u8"よくここまで来たわね、坊やたち。"),          // 323 Grim
    EventTextLine(u8"でも城の心臓は、もうすぐわたくしのもの。"),  // 324 Grim
    EventTextLine(u8"グリム！　クオールに触るな！"),              // 325 Kai
    EventTextLine(u8"そのために、どれだけの人を傷つけた！"),      // 326 Zeno
    EventTextLine(u8"知ったことじゃないわ！"),                    // 327 Grim
    EventTextLine(u8"黄昏の空に散りなさい！"),                    // 328 Grim
    // event 19
    EventTextLine(u8"……聞こえるか！"),                          // 329 Professor
    EventTextLine(u8"ようやく通信が戻った。"),                  // 330 Professor
    EventTextLine(u8"城の奥の要塞が、クオールを守っておる。"),  // 331 Professor
    EventTextLine(u8"核は二つ。片方だけでは止まらん。"),        // 332 Professor
    EventTextLine(u8"わかりました。"),                          // 333 Kai
    EventTextLine(u8"二手に分かれて、同時に叩きます！"),        // 334 Kai
    // event 20
    EventTextLine(u8"要塞が崩れていく……！"),                  // 335 Mira
    EventTextLine(u8"まだよ……クオールはわたくしのもの……！"),  // 336 Grim
    EventTextLine(u8"この力さえあれば、空の女王に……！"),      // 337 Grim
    EventTextLine(u8"グリム！　もうやめろ！"),                // 338 Kai
    EventTextLine(u8"石が光って……城が落ちていく！？"),        // 339 Mira
    // event 21
    EventTextLine(u8"くそっ、このままでは城ごと落ちる！"),      // 340 Zeno
    EventTextLine(u8"下には町があるんだぞ！"),                  // 341 Zeno
    EventTextLine(u8"石に、まっすぐな願いをぶつけるのじゃ！"),  // 342 Professor
    EventTextLine(u8"伝説の英雄もそうして城を鎮めた。"),        // 343 Professor
    EventTextLine(u8"空は誰のものでもない。"),                  // 344 Kai
    EventTextLine(u8"みんなが自由に飛べる空を、返してくれ！"),  // 345 Kai
    EventTextLine(u8"……リナ。お前の見る空も、守ってみせる。"),  // 346 Zeno
    EventTextLine(u8"お願い、クオール……！"),                    // 347 Mira
    EventTextLine(u8"みんなの空を、守って！"),                  // 348 Mira
    // event 22
    EventTextLine(u8"光が……石が静まっていく……。"),              // 349 Mira
    EventTextLine(u8"城が止まった……やった、やったぞ！"),        // 350 Gant
    EventTextLine(u8"……ふん。負けは負けね。"),                  // 351 Grim
    EventTextLine(u8"好きになさい。"),                          // 352 Grim
    EventTextLine(u8"石はみんな、元の場所に返してもらうよ。"),  // 353 Mira
    EventTextLine(u8"クオールが、小さくなっていく……。"),        // 354 Zeno
    EventTextLine(u8"力を使い果たしたのじゃ。"),                // 355 Professor
    EventTextLine(u8"じゃが、ほんの一かけらが残っておる。"),    // 356 Professor
    EventTextLine(u8"眠る者の夢をさますくらいの力はあろう。"),  // 357 Professor
    EventTextLine(u8"持っていきなさい。妹さんのところへ。"),    // 358 Professor
    EventTextLine(u8"……恩に着る。"),                            // 359 Zeno
    EventTextLine(u8"カイ、ミラ、ガント。お前たちにもだ。"),    // 360 Zeno
    EventTextLine(u8"礼なんていいよ。また一緒に飛ぼうぜ。"),    // 361 Kai
    EventTextLine(u8"……ああ。約束だ。"),                        // 362 Zeno
    EventTextLine(u8"さあ、帰ろう。私たちの町へ！"),            // 363 Mira
    // event 23
    EventTextLine(u8"おかえり！　英雄たちのお帰りだ！"),            // 364 Shopkeeper
    EventTextLine(u8"ただいま、ヴェルドさん！"),                    // 365 Mira
    EventTextLine(u8"腹ぺこだ！　とびきりのを頼むぜ！"),            // 366 Gant
    EventTextLine(u8"はいよ、約束の品だ。全部おごりさ！"),          // 367 Shopkeeper
    EventTextLine(u8"谷の動力石も、みんな元に戻ったぞ。"),          // 368 Professor
    EventTextLine(u8"風車もまた回り始めたそうじゃ。"),              // 369 Professor
    EventTextLine(u8"よかった……。"),                                // 370 Kai
    EventTextLine(u8"これで谷も、元どおりですね。"),                // 371 Kai
    EventTextLine(u8"妹は目を覚ました。今は空を見ている。"),        // 372 Zeno
    EventTextLine(u8"いつか、お前たちと競争させてくれ。"),          // 373 Zeno
    EventTextLine(u8"……あいつらしいな。"),                          // 374 Kai
    EventTextLine(u8"さて、工房に新しい機体の図面があるんじゃ。"),  // 375 Professor
    EventTextLine(u8"試験飛行士が、ちょうど足りなくてのう。"),      // 376 Professor
    EventTextLine(u8"乗ります！　今すぐ！"),                        // 377 Kai
    EventTextLine(u8"もう、カイったら！"),                          // 378 Mira
    // lines no script shows
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
    EventTextLine(u8""),
};
