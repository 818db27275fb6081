// Context menus, alerts and file panels of the GTK window system.
#include "platform/GtkDialogs.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace platform {

namespace {

struct MenuRun {
    GMainLoop* loop = nullptr;
    MenuChoice choice;
    bool chosen = false;
    struct Target {
        MenuRun* run;
        const Menu* menu;
        int index;
    };
    std::vector<std::unique_ptr<Target>> targets;

    static void onActivate(GtkMenuItem*, gpointer data)
    {
        auto* target = static_cast<Target*>(data);
        target->run->choice.menu = target->menu;
        target->run->choice.index = target->index;
        target->run->chosen = true;
    }
    static gboolean quit(gpointer loop)
    {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        g_main_loop_unref(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
    }
    // An activation follows the deactivation within the same call: quit after it.
    // The idle call keeps the loop alive even if the menu has gone by then.
    static void onDeactivate(GtkMenuShell*, gpointer data)
    {
        g_idle_add(quit, g_main_loop_ref(static_cast<MenuRun*>(data)->loop));
    }

    GtkWidget* build(const Menu& menu)
    {
        GtkWidget* gtkMenu = gtk_menu_new();
        for (size_t i = 0; i < menu.items.size(); ++i) {
            const MenuItem& item = menu.items[i];
            const std::string title = std::string(static_cast<size_t>(item.indentation) * 4, ' ') + item.title;
            GtkWidget* widget;
            if (item.submenu) {
                widget = gtk_menu_item_new_with_label(title.c_str());
                gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), build(*item.submenu));
            } else if (item.separator) {
                widget = gtk_separator_menu_item_new();
            } else {
                widget = item.checked ? gtk_check_menu_item_new_with_label(title.c_str())
                                      : gtk_menu_item_new_with_label(title.c_str());
                if (item.checked)
                    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), TRUE);
                gtk_widget_set_sensitive(widget, item.enabled);
                targets.push_back(std::make_unique<Target>(Target{this, &menu, static_cast<int>(i)}));
                g_signal_connect(widget, "activate", G_CALLBACK(onActivate), targets.back().get());
            }
            gtk_menu_shell_append(GTK_MENU_SHELL(gtkMenu), widget);
        }
        gtk_widget_show_all(gtkMenu);
        return gtkMenu;
    }
};

}  // namespace

bool RunGtkContextMenu(GtkWidget* area, int viewHeight, const Menu& menu, const ViewRect& at, MenuChoice* choice)
{
    MenuRun run;
    GtkWidget* gtkMenu = run.build(menu);
    gtk_menu_attach_to_widget(GTK_MENU(gtkMenu), area, nullptr);
    // Anchored four pixels below the rectangle's lower-left corner.
    GdkRectangle anchor;
    anchor.x = static_cast<int>(at.x);
    anchor.y = static_cast<int>(std::lround(viewHeight - (at.y + at.h)));
    anchor.width = std::max(1, static_cast<int>(at.w));
    anchor.height = std::max(1, static_cast<int>(at.h)) + 4;
    run.loop = g_main_loop_new(nullptr, FALSE);
    g_signal_connect(gtkMenu, "deactivate", G_CALLBACK(MenuRun::onDeactivate), &run);
    GdkWindow* areaWindow = gtk_widget_get_window(area);
    // Menus opened outside an event handler (scripts) get a stand-in for the click that opens them.
    GdkEvent* trigger = gtk_get_current_event();
    if (!trigger) {
        trigger = gdk_event_new(GDK_BUTTON_PRESS);
        trigger->button.window = GDK_WINDOW(g_object_ref(areaWindow));
        trigger->button.button = 1;
        trigger->button.time = GDK_CURRENT_TIME;
        GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(areaWindow));
        if (GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr)
            gdk_event_set_device(trigger, pointer);
    }
    gtk_menu_popup_at_rect(GTK_MENU(gtkMenu), areaWindow, &anchor, GDK_GRAVITY_SOUTH_WEST, GDK_GRAVITY_NORTH_WEST,
                           trigger);
    gdk_event_free(trigger);
    // Without a grab the menu does not open; never wait for it then.
    if (gtk_widget_get_visible(gtkMenu))
        g_main_loop_run(run.loop);
    g_signal_handlers_disconnect_by_data(gtkMenu, &run);
    g_main_loop_unref(run.loop);
    gtk_widget_destroy(gtkMenu);
    if (run.chosen)
        *choice = run.choice;
    return run.chosen;
}

AlertResponse RunGtkAlert(GtkWindow* parent, const AlertRequest& request)
{
    GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_INFO, GTK_BUTTONS_NONE,
                                               "%s", request.header.c_str());
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", request.message.c_str());
    enum { kDefault = 1, kAlternate = 2, kOther = 3 };
    if (!request.otherButton.empty())
        gtk_dialog_add_button(GTK_DIALOG(dialog), request.otherButton.c_str(), kOther);
    if (!request.alternateButton.empty())
        gtk_dialog_add_button(GTK_DIALOG(dialog), request.alternateButton.c_str(), kAlternate);
    gtk_dialog_add_button(GTK_DIALOG(dialog), request.defaultButton.empty() ? "OK" : request.defaultButton.c_str(),
                          kDefault);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), kDefault);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    switch (response) {
    case kDefault: return AlertResponse::Default;
    case kAlternate: return AlertResponse::Alternate;
    case kOther: return AlertResponse::Other;
    default: return AlertResponse::None;
    }
}

namespace {

bool confirmReplace(GtkWindow* parent, const std::string& path)
{
    gchar* base = g_path_get_basename(path.c_str());
    GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE,
                                               "A file named \"%s\" already exists. Do you want to replace it?",
                                               base);
    g_free(base);
    gtk_dialog_add_button(GTK_DIALOG(dialog), "_Cancel", GTK_RESPONSE_CANCEL);
    gtk_dialog_add_button(GTK_DIALOG(dialog), "_Replace", GTK_RESPONSE_ACCEPT);
    const bool replace = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT;
    gtk_widget_destroy(dialog);
    return replace;
}

}  // namespace

bool RunGtkFilePanel(GtkWindow* parent, const FilePanelRequest& request, std::string* chosenPath)
{
    const GtkFileChooserAction action = request.save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN;
    GtkWidget* dialog = gtk_file_chooser_dialog_new(request.save ? "Save" : "Open", parent, action, "_Cancel",
                                                    GTK_RESPONSE_CANCEL, request.save ? "_Save" : "_Open",
                                                    GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_file_chooser_set_current_folder(chooser, ExpandHomeFolder(request.folder).c_str());
    if (request.save) {
        gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
        gtk_file_chooser_set_current_name(chooser, request.proposedName.c_str());
    }
    if (!request.types.empty()) {
        GtkFileFilter* filter = gtk_file_filter_new();
        for (const std::string& type : request.types) {
            gtk_file_filter_add_pattern(filter, ("*." + type).c_str());
            std::string upper = type;
            for (char& c : upper)
                c = static_cast<char>(g_ascii_toupper(c));
            gtk_file_filter_add_pattern(filter, ("*." + upper).c_str());
        }
        gtk_file_chooser_set_filter(chooser, filter);
    }
    bool accepted = false;
    std::string path;
    while (!accepted && gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        gchar* name = gtk_file_chooser_get_filename(chooser);
        path = name ? name : "";
        g_free(name);
        if (!request.save) {
            accepted = true;
            break;
        }
        // The chooser confirmed overwriting the name as typed, not with the extension added.
        const std::string withExtension = WithAllowedExtension(path, request.types);
        accepted = withExtension == path || !g_file_test(withExtension.c_str(), G_FILE_TEST_EXISTS)
                   || confirmReplace(GTK_WINDOW(dialog), withExtension);
        path = withExtension;
    }
    gtk_widget_destroy(dialog);
    if (!accepted || path.empty())
        return false;
    *chosenPath = path;
    return true;
}

}  // namespace platform

namespace platform {

namespace {

class GtkNativeDialog : public NativeDialog {
public:
    GtkNativeDialog(GtkWindow* parent, const DialogRequest& request, DialogClient* client,
                    std::function<bool(int*)> takeAnswer)
        : mClient(client), mTakeAnswer(std::move(takeAnswer))
    {
        mWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_title(GTK_WINDOW(mWindow), request.title.c_str());
        gtk_window_set_modal(GTK_WINDOW(mWindow), TRUE);
        gtk_window_set_resizable(GTK_WINDOW(mWindow), FALSE);
        if (parent)
            gtk_window_set_transient_for(GTK_WINDOW(mWindow), parent);
        mFixed = gtk_fixed_new();
        gtk_widget_set_size_request(mFixed, std::max(1, request.width), std::max(1, request.height));
        for (const DialogItem& item : request.items)
            addItem(item);
        gtk_container_add(GTK_CONTAINER(mWindow), mFixed);
        g_signal_connect(mWindow, "delete-event", G_CALLBACK(onDelete), this);
        g_signal_connect(mWindow, "key-press-event", G_CALLBACK(onKey), this);
    }

    ~GtkNativeDialog() override
    {
        if (mScriptSource)
            g_source_remove(mScriptSource);
        for (auto& button : mButtons)
            g_signal_handlers_disconnect_by_data(button.first, button.second.get());
        g_signal_handlers_disconnect_by_data(mWindow, this);
        gtk_widget_destroy(mWindow);
    }

    void SetFrame(int x, int y, int width, int height) override
    {
        gtk_widget_set_size_request(mFixed, std::max(1, width), std::max(1, height));
        gtk_window_move(GTK_WINDOW(mWindow), x, y);
    }

    void RunModal() override
    {
        if (mEnded)
            return;
        gtk_widget_show_all(mWindow);
        mScriptSource = g_idle_add(applyScript, this);
        mLoop = g_main_loop_new(nullptr, FALSE);
        g_main_loop_run(mLoop);
        g_main_loop_unref(mLoop);
        mLoop = nullptr;
        gtk_widget_hide(mWindow);
    }

    void EndModal() override
    {
        mEnded = true;
        if (mLoop)
            g_main_loop_quit(mLoop);
    }

    std::string ItemText(int id) const override
    {
        for (const auto& edit : mEdits)
            if (edit.first == id)
                return gtk_entry_get_text(GTK_ENTRY(edit.second));
        return "";
    }

private:
    struct ButtonTarget {
        GtkNativeDialog* dialog;
        int id;
    };

    void addItem(const DialogItem& item)
    {
        GtkWidget* widget;
        switch (item.kind) {
        case DialogItemKind::Edit:
            widget = gtk_entry_new();
            gtk_entry_set_text(GTK_ENTRY(widget), item.text.c_str());
            mEdits.emplace_back(item.id, widget);
            break;
        case DialogItemKind::Button: {
            std::string mnemonic = item.text;
            std::replace(mnemonic.begin(), mnemonic.end(), '&', '_');
            widget = gtk_button_new_with_mnemonic(mnemonic.c_str());
            auto target = std::make_unique<ButtonTarget>(ButtonTarget{this, item.id});
            g_signal_connect(widget, "clicked", G_CALLBACK(onClicked), target.get());
            mButtons.emplace_back(widget, std::move(target));
            break;
        }
        default:
            widget = gtk_label_new(item.text.c_str());
            gtk_label_set_xalign(GTK_LABEL(widget), 0.0f);
            break;
        }
        gtk_widget_set_size_request(widget, std::max(1, item.w), std::max(1, item.h));
        gtk_fixed_put(GTK_FIXED(mFixed), widget, item.x, item.y);
    }

    void command(int id)
    {
        if (!mEnded && mClient)
            mClient->DialogCommand(id);
    }

    static void onClicked(GtkButton*, gpointer data)
    {
        auto* target = static_cast<ButtonTarget*>(data);
        target->dialog->command(target->id);
    }
    static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data)
    {
        static_cast<GtkNativeDialog*>(data)->command(kDialogCommandClose);
        return TRUE;  // the owner ends the dialog or keeps it
    }
    static gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer data)
    {
        auto* self = static_cast<GtkNativeDialog*>(data);
        switch (event->keyval) {
        case GDK_KEY_Return: case GDK_KEY_KP_Enter: self->command(kDialogCommandReturn); return TRUE;
        case GDK_KEY_Escape: self->command(kDialogCommandClose); return TRUE;
        default: return FALSE;
        }
    }
    // A scripted answer acts through the dialog's own widgets, one per turn of the loop.
    // Once a script has said all it had to, the dialog is closed as in the
    // headless window system, so a scripted run never waits for a user.
    static gboolean applyScript(gpointer data)
    {
        auto* self = static_cast<GtkNativeDialog*>(data);
        int id = kDialogCommandClose;
        if (!self->mEnded && self->mTakeAnswer && self->mTakeAnswer(&id)) {
            self->mScripted = true;
            self->act(id);
            return G_SOURCE_CONTINUE;
        }
        if (!self->mEnded && self->mScripted) {
            self->command(kDialogCommandClose);
            self->EndModal();
        }
        self->mScriptSource = 0;
        return G_SOURCE_REMOVE;
    }
    void act(int id)
    {
        for (auto& button : mButtons)
            if (button.second->id == id) {
                gtk_button_clicked(GTK_BUTTON(button.first));
                return;
            }
        if (id == kDialogCommandClose)
            gtk_window_close(GTK_WINDOW(mWindow));
        else
            command(id);
    }

    DialogClient* mClient;
    std::function<bool(int*)> mTakeAnswer;
    GtkWidget* mWindow;
    GtkWidget* mFixed;
    std::vector<std::pair<int, GtkWidget*>> mEdits;
    std::vector<std::pair<GtkWidget*, std::unique_ptr<ButtonTarget>>> mButtons;
    GMainLoop* mLoop = nullptr;
    guint mScriptSource = 0;
    bool mScripted = false;
    bool mEnded = false;
};

}  // namespace

std::unique_ptr<NativeDialog> MakeGtkDialog(GtkWindow* parent, const DialogRequest& request, DialogClient* client,
                                            std::function<bool(int*)> takeAnswer)
{
    return std::make_unique<GtkNativeDialog>(parent, request, client, std::move(takeAnswer));
}

}  // namespace platform
