; Test data: a 12C508 program that carries its own calibration instruction at the last word.
; Assemble: gpasm calib508.asm; gpasm -a inhx8m -n -o calib508-inhx8m.hex calib508.asm
        list    p=12c508
        #include <p12c508.inc>
        __config _MCLRE_ON & _CP_OFF & _WDT_OFF & _XT_OSC       ; 0x0FF9

        org     0x000
        movwf   OSCCAL
        goto    $

        org     0x1FF           ; the calibration word: MOVLW 0x80
        movlw   0x80
        end
