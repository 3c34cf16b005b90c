// The Post OCR Correction dialog: the passes' check boxes, the I/l language, the dictionary, two progress bars.
#include "subtitles/ui/post_ocr_dialog.h"

#include "core/paths.h"
#include "core/ui/named_widget.h"
#include "app/app.h"
#include "subtitles/ui/subtitles_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace glyfex::subtitles::ui {

namespace {

const QString kPunctuationFile = QStringLiteral("punct.dic");
const QString kDictionaryExtension = QStringLiteral(".dic");

QCheckBox *checkBox(const char *name, const QString &caption, bool on, QWidget *parent)
{
    auto *box = core::ui::named(name, new QCheckBox(caption, parent));
    box->setChecked(on);
    return box;
}

} // namespace

PostOcrDialog::PostOcrDialog(app::App &app, QWidget *parent) : QDialog(parent), m_app(app)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Post OCR Correction"));

    auto *layout = new QVBoxLayout(this);
    m_twiceAp = checkBox("CheckBoxCorrectTwiceAp",
                         QStringLiteral("Replace double ' by a \"  AND \"\" by \" (Recommended)"), true, this);
    layout->addWidget(m_twiceAp);

    m_il = checkBox("CheckBoxCorrectIl", QStringLiteral("Try to correct I and l  (Use if they are confused)"), true, this);
    layout->addWidget(m_il);
    m_ilLanguage = core::ui::named("RadioGroupCorrectIlLanguage", new QGroupBox(this));
    auto *languages = new QGridLayout(m_ilLanguage);
    const char *const items[] = {"English (May work with other languages)", "Français (French)", "Deutsch (German)",
                                 "Czech (Cestina)", "Italian (Italiano)", "Polish (Polski)", "Spanish (Español)"};
    for (int i = 0; i < 7; ++i) {
        auto *item = new QRadioButton(QString::fromUtf8(items[i]), m_ilLanguage);
        languages->addWidget(item, i < 4 ? i : i - 4, i < 4 ? 0 : 1);
        m_languages.append(item);
    }
    m_languages.front()->setChecked(true);
    auto *indented = new QHBoxLayout;
    indented->addSpacing(20);
    indented->addWidget(m_ilLanguage);
    layout->addLayout(indented);

    m_punctuation = checkBox("CheckBoxCorrectPunctuation",
                             QStringLiteral("Try to correct punctuation (?. -> ? ; !. -> ! etc.)"), true, this);
    layout->addWidget(m_punctuation);

    auto *orthography = new QHBoxLayout;
    m_orthography = checkBox("CheckBoxCorrectOrthography", QStringLiteral("Try to correct orthography"), false, this);
    m_dictionary = core::ui::named("ComboBoxLangOrtho", new QComboBox(this));
    m_dictionary->setMinimumContentsLength(16);
    orthography->addWidget(m_orthography);
    orthography->addWidget(m_dictionary, 1);
    layout->addLayout(orthography);

    m_capitals = checkBox("CheckBoxCorrectCapitalLetters", QStringLiteral("Try to correct \"Capital Letters\""), true,
                          this);
    m_capitals->setToolTip(QStringLiteral("Example: \"Hi Kate. it's me.\" -> \"Hi Kate. It's me.\""));
    layout->addWidget(m_capitals);
    m_lowerCase = checkBox("CheckBoxCase", QStringLiteral("Convert all text to LowerCase before"), false, this);
    m_lowerCase->setToolTip(QStringLiteral("Use for UpperCase Closed Captions only!"));
    auto *caseRow = new QHBoxLayout;
    caseRow->addSpacing(20);
    caseRow->addWidget(m_lowerCase);
    layout->addLayout(caseRow);

    m_numbers = checkBox("CheckBoxRemoveSpaceBtNumbers", QStringLiteral("Remove unwanted spaces between numbers"), true,
                         this);
    layout->addWidget(m_numbers);
    m_wholeWords = checkBox("CheckBoxFormatWholeWordsOnly", QStringLiteral("Format whole words only"), true, this);
    layout->addWidget(m_wholeWords);

    m_individual = core::ui::named("ProgressBarIndividual", new QProgressBar(this));
    m_all = core::ui::named("ProgressBarAll", new QProgressBar(this));
    for (QProgressBar *bar : {m_individual, m_all}) {
        bar->setRange(0, 1);
        bar->setValue(0);
        bar->setTextVisible(false);
        layout->addWidget(bar);
    }

    auto *buttons = new QHBoxLayout;
    m_correct = core::ui::named("BitBtnCorrect", new QPushButton(QStringLiteral("Correct!"), this));
    m_correct->setDefault(true);
    m_cancel = core::ui::named("BitBtn2", new QPushButton(QStringLiteral("&Cancel"), this));
    buttons->addStretch(1);
    buttons->addWidget(m_correct);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    connect(m_il, &QCheckBox::toggled, this, &PostOcrDialog::enableControls);
    connect(m_capitals, &QCheckBox::toggled, this, [this](bool on) {
        // Capitals are found after sentence marks, which need their blanks: punctuation comes with it.
        if (on)
            m_punctuation->setChecked(true);
        enableControls();
    });
    connect(m_correct, &QPushButton::clicked, this, &PostOcrDialog::correct);
    connect(m_cancel, &QPushButton::clicked, this, &PostOcrDialog::reject);
    enableControls();
}

void PostOcrDialog::enableControls()
{
    m_ilLanguage->setEnabled(m_il->isChecked());
    m_lowerCase->setEnabled(m_capitals->isChecked());
}

void PostOcrDialog::showEvent(QShowEvent *event)
{
    fillDictionaries();
    QDialog::showEvent(event);
}

void PostOcrDialog::fillDictionaries()
{
    const QString chosen = m_dictionary->currentText();
    QStringList names;
    for (const QString &path : m_app.paths.dataFiles(core::Paths::DictFolder, {QStringLiteral("*") + kDictionaryExtension})) {
        const QString file = QFileInfo(path).fileName();
        if (file != kPunctuationFile)
            names.append(file.chopped(kDictionaryExtension.size()));
    }
    names.sort();
    m_dictionary->clear();
    m_dictionary->addItems(names);
    const int again = int(names.indexOf(chosen));
    m_dictionary->setCurrentIndex(again >= 0 ? again : 0);
    if (names.isEmpty())
        m_orthography->setChecked(false);
    m_orthography->setEnabled(!names.isEmpty());
}

PostOcrOptions PostOcrDialog::options() const
{
    PostOcrOptions o;
    o.apostrophes = m_twiceAp->isChecked();
    o.il = m_il->isChecked();
    for (int i = 0; i < m_languages.size(); ++i) {
        if (m_languages[i]->isChecked())
            o.ilLanguage = IlLanguage(i);
    }
    o.punctuation = m_punctuation->isChecked();
    o.orthography = m_orthography->isChecked() && m_orthography->isEnabled();
    o.capitalLetters = m_capitals->isChecked();
    o.lowerCaseBefore = m_lowerCase->isChecked();
    o.spacesBetweenNumbers = m_numbers->isChecked();
    o.wholeWords = m_wholeWords->isChecked();
    if (auto *subtitles = qobject_cast<SubtitlesWindow *>(m_app.subtitlesWindow())) {
        o.textCharset = subtitles->textCharset();
        o.codePage = subtitles->codePage();
    }
    return o;
}

void PostOcrDialog::correct()
{
    if (m_running)
        return;
    const PostOcrOptions o = options();
    SubtitleStore &store = m_app.subtitles;
    if (o.passCount() > 0) {
        const QString dictFolder = core::Paths::DictFolder + QLatin1Char('/');
        // A missing file is looked for where the program's own dictionaries are, so the message names a path.
        auto pathOf = [&](const QString &file) {
            const QString found = m_app.paths.findDataFile(dictFolder + file);
            return found.isEmpty() ? m_app.paths.dataDirs().value(0) + QLatin1Char('/') + dictFolder + file : found;
        };
        // The list holds file names from the Dict folders only; a name from elsewhere could leave the folder.
        const QString chosen = m_dictionary->currentText() + kDictionaryExtension;
        const bool plainName = QFileInfo(chosen).fileName() == chosen && !chosen.contains(QLatin1Char('\\'));
        auto dictionaries = loadPostOcrDictionaries(o, pathOf(kPunctuationFile), plainName ? pathOf(chosen) : QString());
        if (!dictionaries) {
            m_app.prompt().error(dictionaries.error().message());
            accept();
            return;
        }
        m_running = true;
        m_cancelRequested = false;
        m_pumpClock.invalidate();
        m_correct->setEnabled(false);
        m_individual->setRange(0, std::max(1, store.count()));
        m_all->setRange(0, std::max(1, store.count() * o.passCount()));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool finished = correctStore(store, o, *dictionaries, *this);
        QApplication::restoreOverrideCursor();
        m_running = false;
        m_correct->setEnabled(true);
        m_individual->setValue(0);
        m_all->setValue(0);
        if (!finished) {
            QDialog::reject();
            return;
        }
        if (auto *subtitles = qobject_cast<SubtitlesWindow *>(m_app.subtitlesWindow()))
            subtitles->rebuildSubtitleText();
    }
    accept();
}

void PostOcrDialog::reject()
{
    // While the passes run, Cancel (or closing the dialog) stops them; the store keeps its text.
    if (m_running) {
        m_cancelRequested = true;
        return;
    }
    QDialog::reject();
}

void PostOcrDialog::progress(int64_t done, int64_t total)
{
    (void)total;
    // The bar of the current pass starts again with each pass.
    const int perPass = m_individual->maximum();
    m_individual->setValue(done == 0 ? 0 : int((done - 1) % perPass) + 1);
    m_all->setValue(int(done));
}

core::PumpResult PostOcrDialog::pump()
{
    // The passes take a fraction of a second over a full store: the window is kept alive (bars drawn,
    // Cancel heard) a few times a second rather than after every subtitle.
    if (!m_pumpClock.isValid() || m_pumpClock.elapsed() >= 40) {
        QCoreApplication::processEvents();
        m_pumpClock.start();
    }
    return m_cancelRequested ? core::PumpResult::Cancel : core::PumpResult::Continue;
}

} // namespace glyfex::subtitles::ui
