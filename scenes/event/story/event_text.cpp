// The story's dialogue, one screen line each (at most 44 bytes in CP932). The comment
// before each event's lines names the scene; the speaker of a line is set by its script.
#include "scenes/event/story/story.h"

const std::array<EventTextLine, kEventTextLineCount> kEventTextLines = {
    // event 0
    EventTextLine(u8"おお、来たか。朝早くからすまんのう。"),  // 0 Professor
    EventTextLine(u8"実は昨夜、ミドリ谷が襲われたのじゃ。"),  // 1 Professor
    EventTextLine(u8"ミドリ谷が？"),                          // 2 Kai
    EventTextLine(u8"まさか、また空賊ですか。"),              // 3 Kai
    EventTextLine(u8"うむ。グリム空賊団じゃ。"),              // 4 Professor
    EventTextLine(u8"谷の動力石が、根こそぎ奪われた。"),      // 5 Professor
    EventTextLine(u8"ひどい……。あそこの石がないと、"),        // 6 Mira
    EventTextLine(u8"谷の水くみも粉ひきも止まっちゃう。"),    // 7 Mira
    EventTextLine(u8"じゃが、奴らの狙いは動力石ではない。"),  // 8 Professor
    EventTextLine(u8"石を集めて、何かを探しておる。"),        // 9 Professor
    EventTextLine(u8"何かって、なんです？"),                  // 10 Kai
    EventTextLine(u8"……クオールじゃよ。"),                    // 11 Professor
    EventTextLine(u8"空の城の、伝説の石じゃ。"),              // 12 Professor
    EventTextLine(u8"古代の空の民が遺した、心臓の石。"),      // 13 Professor
    EventTextLine(u8"空の果てに眠ると伝えられておる。"),      // 14 Professor
    EventTextLine(u8"それって、おとぎ話じゃなかったの？"),    // 15 Mira
    EventTextLine(u8"近ごろ、古い石碑が光りだしての。"),      // 16 Professor
    EventTextLine(u8"ただの昔話ではなさそうなのじゃ。"),      // 17 Professor
    EventTextLine(u8"博士、俺に行かせてください。"),          // 18 Kai
    EventTextLine(u8"谷の石は、必ず取り返してみせます。"),    // 19 Kai
    EventTextLine(u8"そう言うと思っておったわい。"),          // 20 Professor
    EventTextLine(u8"機体の整備は済んでおる。頼んだぞ。"),    // 21 Professor
    EventTextLine(u8"私も行く。"),                            // 22 Mira
    EventTextLine(u8"カイ一人じゃ、危なっかしいもん。"),      // 23 Mira
    EventTextLine(u8"いらっしゃい！"),                        // 24 Shopkeeper
    EventTextLine(u8"おや、カイとミラじゃないか。"),          // 25 Shopkeeper
    EventTextLine(u8"博士から聞いたよ。飛ぶんだってね。"),    // 26 Shopkeeper
    EventTextLine(u8"ああ。谷の石を取り返してくる。"),        // 27 Kai
    EventTextLine(u8"気をつけな。空賊の機体は数が多い。"),    // 28 Shopkeeper
    EventTextLine(u8"囲まれたら、宙返りで抜けるんだ。"),      // 29 Shopkeeper
    EventTextLine(u8"帰ったら、うちの店にも寄っておくれ。"),  // 30 Shopkeeper
    EventTextLine(u8"いい部品を仕入れておくからさ。"),        // 31 Shopkeeper
    EventTextLine(u8"ちゃっかりしてるなあ、ヴェルドさん。"),  // 32 Mira
    EventTextLine(u8"二人とも、聞こえるか。"),                // 33 Professor
    EventTextLine(u8"谷の上空に敵影多数じゃ。"),              // 34 Professor
    EventTextLine(u8"まずは小型機を落とすのじゃ。"),          // 35 Professor
    EventTextLine(u8"了解、博士。見えてきた！"),              // 36 Kai
    EventTextLine(u8"カイ、無茶はしないでよね。"),            // 37 Mira
    EventTextLine(u8"わかってるって。"),                      // 38 Kai
    EventTextLine(u8"行くぞ、ミラ！"),                        // 39 Kai
    // event 1
    EventTextLine(u8"谷の空賊は片づいたね。"),                // 40 Mira
    EventTextLine(u8"逃げた連中は、海のほうへ向かってる。"),  // 41 Kai
    EventTextLine(u8"水平線に、大きな影が見えるぞ。"),        // 42 Kai
    EventTextLine(u8"雲……じゃないよね。動いてる！"),          // 43 Mira
    EventTextLine(u8"ミラ、追いかけるぞ！"),                  // 44 Kai
    EventTextLine(u8"言われなくても！"),                      // 45 Mira
    // event 2
    EventTextLine(u8"なんだ、あの大きさは……！"),              // 46 Kai
    EventTextLine(u8"空に浮かぶ、戦艦……！？"),                // 47 Kai
    EventTextLine(u8"あら、威勢のいい坊やたちね。"),          // 48 Grim
    EventTextLine(u8"わたくしはグリム。空の新しい女王よ。"),  // 49 Grim
    EventTextLine(u8"戦艦グランベルクの砲火、"),              // 50 Grim
    EventTextLine(u8"受けてごらんなさい！"),                  // 51 Grim
    EventTextLine(u8"空はお前のものじゃない！"),              // 52 Kai
    // event 3
    EventTextLine(u8"いやあ、あの戦艦を落とすとはね！"),      // 53 Shopkeeper
    EventTextLine(u8"町じゅう、その話でもちきりだよ。"),      // 54 Shopkeeper
    EventTextLine(u8"へへ、私たちにかかればこんなものよ。"),  // 55 Mira
    EventTextLine(u8"ね、カイ……って、もう寝てるし。"),        // 56 Mira
    EventTextLine(u8"……浮かれていられるのも今のうちだ。"),    // 57 Zeno
    EventTextLine(u8"だ、誰？"),                              // 58 Mira
    EventTextLine(u8"ゼノ。ただの流れの飛行機乗りさ。"),      // 59 Zeno
    EventTextLine(u8"あの戦艦を落としたのは、見事だった。"),  // 60 Zeno
    EventTextLine(u8"だが、この先はお遊びではすまない。"),    // 61 Zeno
    EventTextLine(u8"クオールは俺が先にいただく。"),          // 62 Zeno
    EventTextLine(u8"邪魔をするなら、お前たちも落とす。"),    // 63 Zeno
    EventTextLine(u8"……何なの、あの人。"),                    // 64 Mira
    EventTextLine(u8"カイ、起きて！　カイってば！"),          // 65 Mira
    // event 4
    EventTextLine(u8"よう、お前らが噂の二人組か！"),          // 66 Gant
    EventTextLine(u8"えっと……どちら様？"),                    // 67 Kai
    EventTextLine(u8"ガントだ。峡谷の向こうの運び屋さ。"),    // 68 Gant
    EventTextLine(u8"空賊に船をやられちまってな。"),          // 69 Gant
    EventTextLine(u8"仕返しがしたい。俺も連れていけ！"),      // 70 Gant
    EventTextLine(u8"気持ちはわかるけど……"),                  // 71 Mira
    EventTextLine(u8"腕は確かなの？"),                        // 72 Mira
    EventTextLine(u8"昨日、峡谷の岩の間を抜けた機体、"),      // 73 Gant
    EventTextLine(u8"見なかったか？"),                        // 74 Gant
    EventTextLine(u8"……あの赤い機体、あんただったのか。"),    // 75 Kai
    EventTextLine(u8"そういうこった。よろしくな、相棒！"),    // 76 Gant
    EventTextLine(u8"にぎやかになってきたねえ。"),            // 77 Shopkeeper
    EventTextLine(u8"ほら、お近づきのしるしに一杯どうぞ。"),  // 78 Shopkeeper
    EventTextLine(u8"例の戦艦の残骸から、これが出てきた。"),  // 79 Professor
    EventTextLine(u8"古い地図……ですか？"),                    // 80 Kai
    EventTextLine(u8"空の民の遺跡への道しるべじゃ。"),        // 81 Professor
    EventTextLine(u8"印は七つ。グリムはこれを辿っておる。"),  // 82 Professor
    EventTextLine(u8"じゃあ、先回りすればいいんだ！"),        // 83 Mira
    EventTextLine(u8"うむ。次の印は、森の川の上流じゃな。"),  // 84 Professor
    EventTextLine(u8"峡谷を越えた先じゃ。"),                  // 85 Professor
    EventTextLine(u8"森なら庭みたいなもんだ。任せとけ。"),    // 86 Gant
    EventTextLine(u8"ゼノという若者のことも気になる。"),      // 87 Professor
    EventTextLine(u8"あの黒い機体、ただ者ではないぞ。"),      // 88 Professor
    EventTextLine(u8"あいつも遺跡を目指してるんですよね。"),  // 89 Kai
    EventTextLine(u8"うむ。目的はわからんがのう。"),          // 90 Professor
    EventTextLine(u8"敵か味方か、よく見極めることじゃ。"),    // 91 Professor
    EventTextLine(u8"森の上空、敵の偵察機がおるぞ。"),        // 92 Professor
    EventTextLine(u8"見えてる見えてる。先に行くぜ！"),        // 93 Gant
    EventTextLine(u8"ちょっと、足並みそろえてよ！"),          // 94 Mira
    EventTextLine(u8"三人とも、無事に帰ってくるんじゃぞ。"),  // 95 Professor
    EventTextLine(u8"はーい！"),                              // 96 Mira
    EventTextLine(u8"おみやげ、期待しててね！"),              // 97 Mira
    // event 5
    EventTextLine(u8"森を抜けたら、すぐ海だね。"),            // 98 Mira
    EventTextLine(u8"日が沈む前に、印を見つけなきゃ。"),      // 99 Mira
    EventTextLine(u8"また会ったな。"),                        // 100 Zeno
    EventTextLine(u8"言ったはずだ、邪魔をするなと。"),        // 101 Zeno
    EventTextLine(u8"空賊の仲間だったの！？"),                // 102 Mira
    EventTextLine(u8"勘違いするな。俺は誰の味方でもない。"),  // 103 Zeno
    // event 6
    EventTextLine(u8"夕焼けの海での戦い、見事じゃった。"),    // 104 Professor
    EventTextLine(u8"次の印は、古い鉱山の奥を示しておる。"),  // 105 Professor
    EventTextLine(u8"坑道の中を飛ぶの……？"),                  // 106 Mira
    EventTextLine(u8"狭いところは苦手なんだよなあ。"),        // 107 Gant
    EventTextLine(u8"翼をこすったら泣くぞ、俺は。"),          // 108 Gant
    EventTextLine(u8"中は暗い。計器から目を離すでないぞ。"),  // 109 Professor
    EventTextLine(u8"天井の崩れにも気をつけるのじゃ。"),      // 110 Professor
    EventTextLine(u8"グリムの手下もいるんだよね。"),          // 111 Mira
    EventTextLine(u8"よし、一番乗りはもらった！"),            // 112 Gant
    EventTextLine(u8"ちょっと、ガント！"),                    // 113 Mira
    // event 7
    EventTextLine(u8"ふう……やっと外に出られた。"),          // 114 Mira
    EventTextLine(u8"もう坑道はこりごりだぜ。"),            // 115 Gant
    EventTextLine(u8"坑道の壁画、見たか？"),                // 116 Kai
    EventTextLine(u8"空に浮かぶ城の絵だった。"),            // 117 Kai
    EventTextLine(u8"あれが、伝説の空の城……？"),            // 118 Mira
    EventTextLine(u8"博士に知らせなきゃ。"),                // 119 Mira
    EventTextLine(u8"おーっほっほ！"),                      // 120 Grim
    EventTextLine(u8"また会ったわね、坊やたち。"),          // 121 Grim
    EventTextLine(u8"坑道の壁画、見てしまったようね。"),    // 122 Grim
    EventTextLine(u8"知りすぎた子は、お仕置きよ。"),        // 123 Grim
    EventTextLine(u8"グリム！　何をする気だ！"),            // 124 Kai
    EventTextLine(u8"あの街の空は、もうわたくしのもの。"),  // 125 Grim
    EventTextLine(u8"今夜、街ごと焼き払ってあげるわ！"),    // 126 Grim
    EventTextLine(u8"街の人たちを巻き込むつもり！？"),      // 127 Mira
    EventTextLine(u8"勝てばよいのよ、勝てば！"),            // 128 Grim
    EventTextLine(u8"そうはさせるか！"),                    // 129 Kai
    EventTextLine(u8"……グリム、やりすぎだ。"),              // 130 Zeno
    EventTextLine(u8"街には手を出さない約束のはずだ。"),    // 131 Zeno
    EventTextLine(u8"ゼノ。雇われの身で口を出さないの。"),  // 132 Grim
    EventTextLine(u8"契約は終わりだ。"),                    // 133 Zeno
    EventTextLine(u8"俺は、俺のやり方でやらせてもらう。"),  // 134 Zeno
    EventTextLine(u8"ゼノ……？"),                            // 135 Kai
    EventTextLine(u8"勘違いするな。"),                      // 136 Zeno
    EventTextLine(u8"借りを作りたくないだけだ。"),          // 137 Zeno
    EventTextLine(u8"……あいつ、何を考えてるんだ。"),        // 138 Kai
    EventTextLine(u8"日が暮れる前に、街へ戻るぞ！"),        // 139 Kai
    EventTextLine(u8"うん！"),                              // 140 Mira
    // event 8
    EventTextLine(u8"昨夜は街を守ってくれてありがとよ。"),    // 141 Shopkeeper
    EventTextLine(u8"今日は店のおごりだ。たんと食べな！"),    // 142 Shopkeeper
    EventTextLine(u8"うおお、ありがてえ！"),                  // 143 Gant
    EventTextLine(u8"おかわり三杯はいけるぜ！"),              // 144 Gant
    EventTextLine(u8"ガント、それもう五杯目だよ……。"),        // 145 Mira
    EventTextLine(u8"ねえヴェルドさん、鉄道平原って？"),      // 146 Mira
    EventTextLine(u8"ああ、大陸横断鉄道が走る平原さ。"),      // 147 Shopkeeper
    EventTextLine(u8"見たこともない装甲列車が走っててね。"),  // 148 Shopkeeper
    EventTextLine(u8"荷台の中身は、動力石だって噂だ。"),      // 149 Shopkeeper
    EventTextLine(u8"奪われた谷の石かもしれない！"),          // 150 Mira
    EventTextLine(u8"列車を見つけたぞ。夕日の方角じゃ。"),    // 151 Professor
    EventTextLine(u8"平原をまっすぐ西へ走っておる。"),        // 152 Professor
    EventTextLine(u8"でけえ……。あれ全部が砲台かよ。"),        // 153 Gant
    EventTextLine(u8"太陽を背にして近づこう。"),              // 154 Kai
    EventTextLine(u8"狙うのは先頭車両の動力だ。"),            // 155 Kai
    EventTextLine(u8"石は傷つけるでないぞ。"),                // 156 Professor
    EventTextLine(u8"注文が多いなあ、博士は。"),              // 157 Gant
    EventTextLine(u8"落とさず止めろってか。"),                // 158 Gant
    EventTextLine(u8"若いもんは文句を言わずに飛ぶんじゃ。"),  // 159 Professor
    EventTextLine(u8"了解！　行くぞ！"),                      // 160 Kai
    // event 9
    EventTextLine(u8"列車の石は、無事に取り返せたぞ。"),      // 161 Professor
    EventTextLine(u8"谷の人たちも大喜びじゃ。"),              // 162 Professor
    EventTextLine(u8"でも、グリムはまだ石を集めてる。"),      // 163 Kai
    EventTextLine(u8"急がないと。"),                          // 164 Kai
    EventTextLine(u8"次の印は、古い高速回廊の先じゃ。"),      // 165 Professor
    EventTextLine(u8"空の民が作った、まっすぐな空の道よ。"),  // 166 Professor
    EventTextLine(u8"置いていかれるなよ、みんな！"),          // 167 Kai
    // event 10
    EventTextLine(u8"回廊の先に城壁が見えるはずじゃ。"),    // 168 Professor
    EventTextLine(u8"見えました。門が閉まってます。"),      // 169 Kai
    EventTextLine(u8"ぶち破るしかねえな！"),                // 170 Gant
    EventTextLine(u8"俺の機体の出番だぜ！"),                // 171 Gant
    EventTextLine(u8"待て。門には古代の防衛装置がある。"),  // 172 Professor
    EventTextLine(u8"光る核が門を守っておるのじゃ。"),      // 173 Professor
    EventTextLine(u8"核を全部壊せば開くってことですか。"),  // 174 Kai
    EventTextLine(u8"……その通りだ。"),                      // 175 Zeno
    EventTextLine(u8"核は全部で六つある。"),                // 176 Zeno
    EventTextLine(u8"門の向こうは月の火口に通じている。"),  // 177 Zeno
    EventTextLine(u8"グリムはそこで何かを掘り出す気だ。"),  // 178 Zeno
    EventTextLine(u8"どうしてそれを教えてくれるんだ？"),    // 179 Kai
    EventTextLine(u8"……さあな。"),                          // 180 Zeno
    EventTextLine(u8"門の核、俺は左からやる。"),            // 181 Zeno
    EventTextLine(u8"勝手なやつだなあ。"),                  // 182 Gant
    EventTextLine(u8"でも、今は手を組むしかない。"),        // 183 Kai
    // event 11
    EventTextLine(u8"門が開いた……！"),                        // 184 Kai
    EventTextLine(u8"やったね！"),                            // 185 Mira
    EventTextLine(u8"浮かれるな。ここからが本番だ。"),        // 186 Zeno
    EventTextLine(u8"グリムはもう火口に着いている。"),        // 187 Zeno
    EventTextLine(u8"なんでグリムに雇われてたんだ？"),        // 188 Kai
    EventTextLine(u8"……妹がいる。"),                          // 189 Zeno
    EventTextLine(u8"空の病で、ずっと眠ったままだ。"),        // 190 Zeno
    EventTextLine(u8"クオールの力なら治せると聞いた。"),      // 191 Zeno
    EventTextLine(u8"そんな……。"),                            // 192 Mira
    EventTextLine(u8"だから、一人で石を追ってたんだね。"),    // 193 Mira
    EventTextLine(u8"グリムは約束を守る気などなかった。"),    // 194 Zeno
    EventTextLine(u8"だから抜けた。それだけだ。"),            // 195 Zeno
    EventTextLine(u8"だったら、俺たちと一緒に来いよ。"),      // 196 Kai
    EventTextLine(u8"目指す場所は同じだろ。"),                // 197 Kai
    EventTextLine(u8"……馴れ合うつもりはない。"),              // 198 Zeno
    EventTextLine(u8"火口で会おう。"),                        // 199 Zeno
    EventTextLine(u8"ねえカイ、少しだけ寄り道しない？"),      // 200 Mira
    EventTextLine(u8"デパートか……。補給のついでだぞ。"),      // 201 Kai
    EventTextLine(u8"見て見て、このお守り、かわいい！"),      // 202 Mira
    EventTextLine(u8"羽の形の、銀の細工だよ。"),              // 203 Mira
    EventTextLine(u8"空の民の紋章……？"),                      // 204 Kai
    EventTextLine(u8"おや、お目が高い。"),                    // 205 Shopkeeper
    EventTextLine(u8"古い遺跡の模様をまねたものさ。"),        // 206 Shopkeeper
    EventTextLine(u8"月の火口には、銀の巨人が眠るそうだ。"),  // 207 Shopkeeper
    EventTextLine(u8"目を覚ますのを、待ってるって話さ。"),    // 208 Shopkeeper
    EventTextLine(u8"……お守り、二つください。"),              // 209 Mira
    EventTextLine(u8"はい、これはカイの分。"),                // 210 Mira
    EventTextLine(u8"……ありがとう、ミラ。大事にするよ。"),    // 211 Kai
    EventTextLine(u8"おーい、俺の分は！？"),                  // 212 Gant
    EventTextLine(u8"ガントは自分で買って。"),                // 213 Mira
    EventTextLine(u8"お菓子、いっぱい買ってたでしょ。"),      // 214 Mira
    EventTextLine(u8"おお、やはりここにおったか。"),          // 215 Professor
    EventTextLine(u8"火口に大きな熱反応じゃ。急げ！"),        // 216 Professor
    EventTextLine(u8"了解！　行こう、みんな！"),              // 217 Kai
    // event 12
    EventTextLine(u8"号外だよ！"),                            // 218 Shopkeeper
    EventTextLine(u8"銀の巨人が倒されたってさ！"),            // 219 Shopkeeper
    EventTextLine(u8"わあ、私たちのこと載ってる！"),          // 220 Mira
    EventTextLine(u8"『谷の若き翼、巨人を倒す』だって！"),    // 221 Mira
    EventTextLine(u8"見ろよ、俺が一番大きく写ってるぜ。"),    // 222 Gant
    EventTextLine(u8"……それ、ガントの尾翼だけだよ。"),        // 223 Mira
    EventTextLine(u8"町じゃ、すっかり英雄扱いだよ。"),        // 224 Shopkeeper
    EventTextLine(u8"皆、ご苦労じゃった。じゃが……"),          // 225 Professor
    EventTextLine(u8"グリムが巨人の胸から石を持ち去った。"),  // 226 Professor
    EventTextLine(u8"六つ目の石じゃ。残る印はあと一つ。"),    // 227 Professor
    EventTextLine(u8"六つ目……。"),                            // 228 Kai
    EventTextLine(u8"七つそろったら、どうなるんです？"),      // 229 Kai
    EventTextLine(u8"空の城への道が開く、と地図にはある。"),  // 230 Professor
    EventTextLine(u8"そして城の奥に、クオールが眠る。"),      // 231 Professor
    EventTextLine(u8"空の城……坑道の壁画の！"),                // 232 Mira
    EventTextLine(u8"やっぱり本当にあるんだ。"),              // 233 Mira
    EventTextLine(u8"最後の印は、嵐の海の先の遺跡じゃ。"),    // 234 Professor
    EventTextLine(u8"明日の朝、嵐を越えて向かうとしよう。"),  // 235 Professor
    EventTextLine(u8"機体の整備は万全じゃ。"),                // 236 Professor
    EventTextLine(u8"博士、クオールって何なんですか。"),      // 237 Kai
    EventTextLine(u8"昔、空の城が暴走したことがあっての。"),  // 238 Professor
    EventTextLine(u8"一人の飛行士が、命がけで止めた。"),      // 239 Professor
    EventTextLine(u8"空の城が、暴走……？"),                    // 240 Kai
    EventTextLine(u8"クオールの力は、使う者しだいじゃ。"),    // 241 Professor
    EventTextLine(u8"悪しき者が使えば、空が落ちる。"),        // 242 Professor
    EventTextLine(u8"……グリムには渡せない。"),                // 243 Kai
    EventTextLine(u8"いい天気……。"),                          // 244 Mira
    EventTextLine(u8"この先が嵐だなんて、うそみたい。"),      // 245 Mira
    EventTextLine(u8"海の天気は変わりやすいんだ。"),          // 246 Gant
    EventTextLine(u8"嵐に入ったら、計器だけが頼りだぞ。"),    // 247 Gant
    EventTextLine(u8"はぐれるなよ、二人とも！"),              // 248 Gant
    EventTextLine(u8"……来たか。"),                            // 249 Zeno
    EventTextLine(u8"この先へは行かせない。"),                // 250 Zeno
    EventTextLine(u8"ゼノ！　なんでここに。"),                // 251 Kai
    EventTextLine(u8"火口で別れたきりだったのに。"),          // 252 Kai
    EventTextLine(u8"遺跡へ行くのは俺だ。お前たちは帰れ。"),  // 253 Zeno
    EventTextLine(u8"クオールは妹のために使う。"),            // 254 Zeno
    EventTextLine(u8"悪い奴が使えば、空が落ちるんだぞ！"),    // 255 Kai
    EventTextLine(u8"俺は悪人か？"),                          // 256 Zeno
    EventTextLine(u8"わからない。だから、確かめる！"),        // 257 Kai
    EventTextLine(u8"……いいだろう。"),                        // 258 Zeno
    EventTextLine(u8"嵐の中で、決着をつける。"),              // 259 Zeno
    // event 13
    EventTextLine(u8"……俺の負けだ。"),                        // 260 Zeno
    EventTextLine(u8"強くなったな、カイ。"),                  // 261 Zeno
    EventTextLine(u8"ゼノ、話してくれ。妹さんのこと。"),      // 262 Kai
    EventTextLine(u8"力になれるかもしれない。"),              // 263 Kai
    EventTextLine(u8"リナは、ずっと夢の中にいる。"),          // 264 Zeno
    EventTextLine(u8"医者も見放した。残るのは伝説だけだ。"),  // 265 Zeno
    EventTextLine(u8"一緒に行こう。遺跡まで。"),              // 266 Kai
    EventTextLine(u8"……勝手にしろ。"),                        // 267 Zeno
    EventTextLine(u8"こんな夜更けにどうしたんだい。"),        // 268 Shopkeeper
    EventTextLine(u8"店はもう閉めるところだよ。"),            // 269 Shopkeeper
    EventTextLine(u8"遺跡へ行く前に、寄りたくなって。"),      // 270 Kai
    EventTextLine(u8"……いい顔になったね、カイ。"),            // 271 Shopkeeper
    EventTextLine(u8"帰ったら、とびきりの品を用意するよ。"),  // 272 Shopkeeper
    // event 14
    EventTextLine(u8"遺跡の中心に、強い反応がある。"),        // 273 Professor
    EventTextLine(u8"七つ目の石じゃ。グリムの船もおる。"),    // 274 Professor
    EventTextLine(u8"遅かったわね、坊やたち！"),              // 275 Grim
    EventTextLine(u8"遺跡の守り神、金の巨人を起こしたの。"),  // 276 Grim
    EventTextLine(u8"グリム……！"),                            // 277 Zeno
    EventTextLine(u8"巨人と遊んでいなさい。"),                // 278 Grim
    EventTextLine(u8"その間に、七つ目の石はいただくわ！"),    // 279 Grim
    EventTextLine(u8"大きい……銀の巨人よりずっと！"),          // 280 Mira
    EventTextLine(u8"でかけりゃいいってもんじゃねえ！"),      // 281 Gant
    EventTextLine(u8"まとめてかかるぞ、みんな！"),            // 282 Gant
    EventTextLine(u8"……遅れるなよ。"),                        // 283 Zeno
    // event 15
    EventTextLine(u8"星がきれいだね、カイ。"),            // 284 Mira
    EventTextLine(u8"ああ。空の上で見る星は格別だな。"),  // 285 Kai
    EventTextLine(u8"巨人、すごく手ごわかったね。"),      // 286 Mira
    EventTextLine(u8"みんながいたから、勝てたんだ。"),    // 287 Kai
    EventTextLine(u8"おーい、夜食できたぞー！"),          // 288 Gant
    EventTextLine(u8"ガント、また食べるの！？"),          // 289 Mira
    EventTextLine(u8"腹が減っては飛べねえってな！"),      // 290 Gant
    EventTextLine(u8"……騒がしい連中だ。"),                // 291 Zeno
    EventTextLine(u8"ゼノもこっち来いよ。"),              // 292 Kai
    EventTextLine(u8"……少しだけだ。"),                    // 293 Zeno
    // event 16
    EventTextLine(u8"金の巨人を倒したのは見事じゃった。"),    // 294 Professor
    EventTextLine(u8"じゃが、巨人と戦っておる隙に"),          // 295 Professor
    EventTextLine(u8"グリムが七つ目の石を持ち去った。"),      // 296 Professor
    EventTextLine(u8"七つの石が、グリムの手にそろった。"),    // 297 Professor
    EventTextLine(u8"空の城への道が開いてしまったのじゃ。"),  // 298 Professor
    EventTextLine(u8"城はこの町の真上、雲の上におる。"),      // 299 Professor
    EventTextLine(u8"聞いたよ。空の城へ行くんだって？"),      // 300 Shopkeeper
    EventTextLine(u8"帰ったら、祝いの席を用意しとくよ。"),    // 301 Shopkeeper
    EventTextLine(u8"……だから、みんな必ず帰っておいで。"),    // 302 Shopkeeper
    EventTextLine(u8"この雲の上に、空の城が……。"),            // 303 Kai
    EventTextLine(u8"行こう。これで最後にする！"),            // 304 Kai
    // event 17
    EventTextLine(u8"ねえカイ、全部終わったらどうする？"),    // 305 Mira
    EventTextLine(u8"博士の工房を、継ごうかな。"),            // 306 Kai
    EventTextLine(u8"新しい機体を、この手で作りたいんだ。"),  // 307 Kai
    EventTextLine(u8"私は、谷に小さな飛行場を作りたい。"),    // 308 Mira
    EventTextLine(u8"みんなが、好きなだけ飛べるように。"),    // 309 Mira
    EventTextLine(u8"いいな、それ。"),                        // 310 Kai
    EventTextLine(u8"お守り、ちゃんと持ってるよ。"),          // 311 Mira
    EventTextLine(u8"……俺もだ。"),                            // 312 Kai
    EventTextLine(u8"本当に、空に遺跡が浮かんでる……。"),      // 313 Gant
    EventTextLine(u8"聞こえるか、皆。通信が乱れておる。"),    // 314 Professor
    EventTextLine(u8"城の中は、水晶が力をため込んでおる。"),  // 315 Professor
    EventTextLine(u8"博士、奥から大きな気配がします！"),      // 316 Kai
    EventTextLine(u8"城の番人じゃろう。気をつけ……"),          // 317 Professor
    EventTextLine(u8"博士！？　通信が切れた！"),              // 318 Kai
    EventTextLine(u8"ここから先は、俺たちだけってことか。"),  // 319 Gant
    EventTextLine(u8"……上等じゃねえか。"),                    // 320 Gant
    EventTextLine(u8"怖気づいたか？"),                        // 321 Zeno
    EventTextLine(u8"冗談言うな。わくわくしてきたぜ。"),      // 322 Gant
    // event 18
    EventTextLine(u8"よくここまで来たわね、坊やたち。"),    // 323 Grim
    EventTextLine(u8"でも、城の心臓はわたくしのものよ。"),  // 324 Grim
    EventTextLine(u8"グリム！　クオールに触るな！"),        // 325 Kai
    EventTextLine(u8"そのために、何人を傷つけた！"),        // 326 Zeno
    EventTextLine(u8"知ったことじゃないわ！"),              // 327 Grim
    EventTextLine(u8"黄昏の空に散りなさい！"),              // 328 Grim
    // event 19
    EventTextLine(u8"……聞こえるか！"),                    // 329 Professor
    EventTextLine(u8"ようやく通信が戻った。"),            // 330 Professor
    EventTextLine(u8"城の奥の要塞が、クオールを守る。"),  // 331 Professor
    EventTextLine(u8"核は二つ。片方だけでは止まらん。"),  // 332 Professor
    EventTextLine(u8"わかりました。"),                    // 333 Kai
    EventTextLine(u8"二手に分かれて、同時に叩きます！"),  // 334 Kai
    // event 20
    EventTextLine(u8"要塞が崩れていく……！"),              // 335 Mira
    EventTextLine(u8"クオールは、わたくしのもの……！"),    // 336 Grim
    EventTextLine(u8"この力さえあれば、空の女王に……！"),  // 337 Grim
    EventTextLine(u8"グリム！　もうやめろ！"),            // 338 Kai
    EventTextLine(u8"石が光って……城が落ちていく！？"),    // 339 Mira
    // event 21
    EventTextLine(u8"くそっ、このままでは城ごと落ちる！"),  // 340 Zeno
    EventTextLine(u8"下には町があるんだぞ！"),              // 341 Zeno
    EventTextLine(u8"石に、まっすぐな願いをぶつけよ！"),    // 342 Professor
    EventTextLine(u8"伝説の英雄も、そうして城を鎮めた。"),  // 343 Professor
    EventTextLine(u8"空は誰のものでもない。"),              // 344 Kai
    EventTextLine(u8"みんなが飛べる空を、返してくれ！"),    // 345 Kai
    EventTextLine(u8"リナ……お前の空も、守ってみせる。"),    // 346 Zeno
    EventTextLine(u8"お願い、クオール……！"),                // 347 Mira
    EventTextLine(u8"みんなの空を、守って！"),              // 348 Mira
    // event 22
    EventTextLine(u8"光が……石が静まっていく……。"),            // 349 Mira
    EventTextLine(u8"城が止まった……やった、やったぞ！"),      // 350 Gant
    EventTextLine(u8"……ふん。負けは負けね。"),                // 351 Grim
    EventTextLine(u8"好きになさい。"),                        // 352 Grim
    EventTextLine(u8"石はみんな、元の場所に返すからね。"),    // 353 Mira
    EventTextLine(u8"クオールが、小さくなっていく……。"),      // 354 Zeno
    EventTextLine(u8"力を使い果たしたのじゃ。"),              // 355 Professor
    EventTextLine(u8"じゃが、ほんの一かけらが残っておる。"),  // 356 Professor
    EventTextLine(u8"眠る者を起こすくらいの力はあろう。"),    // 357 Professor
    EventTextLine(u8"持っていきなさい。妹さんのもとへ。"),    // 358 Professor
    EventTextLine(u8"……恩に着る。"),                          // 359 Zeno
    EventTextLine(u8"カイ、ミラ、ガント。お前たちにもだ。"),  // 360 Zeno
    EventTextLine(u8"礼なんていいよ。また一緒に飛ぼうぜ。"),  // 361 Kai
    EventTextLine(u8"……ああ。約束だ。"),                      // 362 Zeno
    EventTextLine(u8"さあ、帰ろう。私たちの町へ！"),          // 363 Mira
    // event 23
    EventTextLine(u8"おかえり！　英雄たちのお帰りだ！"),      // 364 Shopkeeper
    EventTextLine(u8"ただいま、ヴェルドさん！"),              // 365 Mira
    EventTextLine(u8"腹ぺこだ！　とびきりのを頼むぜ！"),      // 366 Gant
    EventTextLine(u8"はいよ、約束の祝いだ。おごりさ！"),      // 367 Shopkeeper
    EventTextLine(u8"谷の動力石も、みんな元に戻ったぞ。"),    // 368 Professor
    EventTextLine(u8"風車もまた回り始めたそうじゃ。"),        // 369 Professor
    EventTextLine(u8"よかった……。"),                          // 370 Kai
    EventTextLine(u8"これで谷も、元どおりですね。"),          // 371 Kai
    EventTextLine(u8"妹は目を覚ました。今は空を見ている。"),  // 372 Zeno
    EventTextLine(u8"いつか、お前たちと競争させてくれ。"),    // 373 Zeno
    EventTextLine(u8"……あいつらしいな。"),                    // 374 Kai
    EventTextLine(u8"さて、工房に新しい機体の図面がある。"),  // 375 Professor
    EventTextLine(u8"試験飛行士が、足りなくてのう。"),        // 376 Professor
    EventTextLine(u8"乗ります！　作るのも手伝います！"),      // 377 Kai
    EventTextLine(u8"もう、カイったら！"),                    // 378 Mira
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
